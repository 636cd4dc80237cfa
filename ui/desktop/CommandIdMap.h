#pragma once

#include <map>
#include <optional>

namespace ui {

// The system's command numbers mapped to ids the toolkit accepts: it asserts on menu
// ids above 0x7FFF, and the framework's own commands lie far above. The system never
// sees the private ids.
class CommandIdMap {
  public:
    explicit CommandIdMap(int firstPrivateId) : next_(firstPrivateId), first_(firstPrivateId) {}

    // The private id of a system command, made on first use.
    int ToPrivate(int systemId);
    std::optional<int> ToSystem(int privateId) const;
    std::optional<int> FindPrivate(int systemId) const;

    // The range of private ids handed out so far (empty when last < first).
    int FirstPrivate() const { return first_; }
    int LastPrivate() const { return next_ - 1; }

  private:
    std::map<int, int> toPrivate_;
    std::map<int, int> toSystem_;
    int next_;
    int first_;
};

}  // namespace ui
