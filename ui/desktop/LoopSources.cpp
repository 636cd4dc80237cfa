#include "ui/desktop/LoopSources.h"

#include <glib-unix.h>
#include <glib.h>

#include "ui/Runtime.h"

namespace ui {

namespace {

struct WatchKey {
    LoopSources* sources;
    int fd;
};

gboolean OnTimeout(gpointer data) {
    return static_cast<LoopSources*>(data)->FireTimeout() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

gboolean OnFd(gint /*fd*/, GIOCondition /*condition*/, gpointer data) {
    auto* key = static_cast<WatchKey*>(data);
    return key->sources->FireWatch(key->fd) ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

void FreeKey(gpointer data) {
    delete static_cast<WatchKey*>(data);
}

}  // namespace

LoopSources::LoopSources(std::function<void()> onDue) : onDue_(std::move(onDue)) {}

LoopSources::~LoopSources() {
    RemoveTimeout();
    for (auto& [fd, watch] : watches_) {
        if (watch->sourceId != 0)
            g_source_remove(watch->sourceId);
    }
}

void LoopSources::RemoveTimeout() {
    if (timeoutId_ != 0)
        g_source_remove(timeoutId_);
    timeoutId_ = 0;
}

void LoopSources::ArmAt(std::uint64_t dueMs) {
    if (timeoutId_ != 0 && timeoutDueMs_ <= dueMs)
        return;
    RemoveTimeout();
    std::uint64_t now = Runtime::Get().NowMs();
    auto delayMs = static_cast<guint>(dueMs > now ? dueMs - now : 0);
    // Window timers come after input and drawing, as the platform's timer messages do.
    timeoutId_ = g_timeout_add_full(G_PRIORITY_DEFAULT_IDLE, delayMs, OnTimeout, this, nullptr);
    timeoutDueMs_ = dueMs;
}

bool LoopSources::FireTimeout() {
    // This source is finished: whatever onDue arms is a new one, which can fire even
    // while a handler below opens a nested loop from inside this call.
    timeoutId_ = 0;
    if (Held()) {
        ArmAt(Runtime::Get().NowMs() + kHeldRetryMs);
        return false;
    }
    ResumeWatches();
    onDue_();
    return false;
}

void LoopSources::Watch(int fd, std::function<void()> onReadable,
                        std::function<void()> afterEvent) {
    Unwatch(fd);
    auto watch = std::make_unique<FdWatch>();
    watch->fd = fd;
    watch->onReadable = std::move(onReadable);
    watch->afterEvent = std::move(afterEvent);
    AddWatchSource(*watch);
    watches_[fd] = std::move(watch);
}

void LoopSources::AddWatchSource(FdWatch& watch) {
    auto condition = static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR);
    watch.sourceId = g_unix_fd_add_full(G_PRIORITY_DEFAULT, watch.fd, condition, OnFd,
                                        new WatchKey{this, watch.fd}, FreeKey);
}

void LoopSources::Unwatch(int fd) {
    auto found = watches_.find(fd);
    if (found == watches_.end())
        return;
    if (found->second->sourceId != 0)
        g_source_remove(found->second->sourceId);
    watches_.erase(found);
}

bool LoopSources::FireWatch(int fd) {
    auto found = watches_.find(fd);
    if (found == watches_.end())
        return false;
    FdWatch& watch = *found->second;
    if (Held()) {
        // A readable descriptor would fire again at once: set it aside until the wait ends.
        watch.sourceId = 0;
        ArmAt(Runtime::Get().NowMs() + kHeldRetryMs);
        return false;
    }
    unsigned source = watch.sourceId;
    // The handler may unwatch or replace this descriptor; work on copies.
    auto onReadable = watch.onReadable;
    auto afterEvent = watch.afterEvent;
    onReadable();
    if (afterEvent)
        afterEvent();
    found = watches_.find(fd);
    return found != watches_.end() && found->second->sourceId == source;
}

void LoopSources::ResumeWatches() {
    for (auto& [fd, watch] : watches_) {
        if (watch->sourceId == 0)
            AddWatchSource(*watch);
    }
}

}  // namespace ui
