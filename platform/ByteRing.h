#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// A fixed-capacity byte queue. Storage is taken once, when the capacity is set, so the
// serial backends allocate nothing per byte or per block.
class ByteRing {
  public:
    explicit ByteRing(std::size_t capacity = 0) { Reset(capacity); }

    // Empties the queue and sets its capacity.
    void Reset(std::size_t capacity) {
        data_.assign(capacity, 0);
        head_ = 0;
        size_ = 0;
    }
    void Clear() {
        head_ = 0;
        size_ = 0;
    }

    std::size_t Capacity() const { return data_.size(); }
    std::size_t Size() const { return size_; }
    std::size_t Room() const { return data_.size() - size_; }
    bool Empty() const { return size_ == 0; }

    // Appends what fits; answers how many bytes were taken.
    std::size_t Push(const std::uint8_t* bytes, std::size_t count) {
        std::size_t n = count < Room() ? count : Room();
        for (std::size_t i = 0; i < n; ++i) {
            data_[(head_ + size_ + i) % data_.size()] = bytes[i];
        }
        size_ += n;
        return n;
    }
    // Puts one byte in front of the others; false when full.
    bool PushFront(std::uint8_t byte) {
        if (Room() == 0)
            return false;
        head_ = (head_ + data_.size() - 1) % data_.size();
        data_[head_] = byte;
        ++size_;
        return true;
    }
    // Removes up to count bytes from the front into out (which may be null to drop them).
    std::size_t Pop(std::uint8_t* out, std::size_t count) {
        std::size_t n = count < size_ ? count : size_;
        for (std::size_t i = 0; i < n; ++i) {
            if (out != nullptr)
                out[i] = data_[(head_ + i) % data_.size()];
        }
        Drop(n);
        return n;
    }
    // The longest run of queued bytes that lies in one piece, from the front.
    const std::uint8_t* FrontRun(std::size_t& length) const {
        if (size_ == 0) {
            length = 0;
            return nullptr;
        }
        std::size_t toEnd = data_.size() - head_;
        length = size_ < toEnd ? size_ : toEnd;
        return data_.data() + head_;
    }
    void Drop(std::size_t count) {
        std::size_t n = count < size_ ? count : size_;
        if (n == 0)
            return;
        head_ = (head_ + n) % data_.size();
        size_ -= n;
        if (size_ == 0)
            head_ = 0;
    }

  private:
    std::vector<std::uint8_t> data_;
    std::size_t head_ = 0;
    std::size_t size_ = 0;
};

}  // namespace platform
