#include "quorn/Upgrade.h"

#include <algorithm>
#include <vector>

#include "quorn/LastError.h"
#include "quorn/Messages.h"
#include "quorn/Protocol.h"
#include "quorn/Session.h"

namespace quorn {

Upgrade::Upgrade(std::shared_ptr<Session> session, int32_t login, std::FILE* file, uint64_t size,
                 QuornProgressCallback progress, void* user)
    : session_(std::move(session)),
      login_(login),
      file_(file),
      size_(size),
      progress_(progress),
      user_(user) {}

Upgrade::~Upgrade() {
    if (file_) std::fclose(file_);
}

void Upgrade::SetHandle(int32_t handle) {
    std::lock_guard lock(mutex_);
    handle_ = handle;
}

int32_t Upgrade::Start() {
    uint32_t requestId = session_->NextRequestId();
    {
        std::lock_guard lock(mutex_);
        if (phase_ != Phase::Idle || closed_) return kBadState;
        phase_ = Phase::Starting;
        requestId_ = requestId;
    }
    // Attach first: the device may acknowledge as soon as it has answered.
    session_->AttachUpgrade(requestId, shared_from_this());
    Writer begin;
    begin.U64(size_);
    Frame reply;
    Reader window(nullptr, 0);
    int32_t status = session_->StatusRequest(Type::UpgradeBegin, requestId, begin.Data(),
                                             kUpgradeBeginMs, reply, &window, &cancelBegin_);
    uint32_t granted = window.U32();
    // The device may have begun although we give up (no answer yet, or one we do not use): it
    // must forget the upgrade again.
    bool abort = status == kOk || status == kTimeout || (status == kBadState && cancelBegin_);
    // A window too small to carry a useful data frame would stall the transfer.
    if (status == kOk && (!window.Ok() || granted < kMinWindow)) status = kProtocolError;
    {
        std::lock_guard lock(mutex_);
        if (status == kOk && closed_) status = kBadState;
        if (status == kOk) {
            window_ = std::min<uint64_t>(granted, kMaxWindow);
            chunk_ = static_cast<uint32_t>(std::min<uint64_t>(kUpgradeChunk, window_));
            startedMs_ = lastAckMs_ = NowMs();
            phase_ = Phase::Running;
            try {
                // Detached at once: no thread object is shared, and the thread keeps this
                // object (and the file) alive until it has ended.
                std::thread([self = shared_from_this()] { self->Run(); }).detach();
                return kOk;
            } catch (...) {
                status = kNoResources;
            }
        }
        phase_ = Phase::Ended;  // never started: the caller closes it without a final callback
    }
    if (abort) session_->Send(Type::UpgradeAbort, requestId, {});
    session_->DetachUpgrade(requestId);
    return status;
}

int64_t Upgrade::DeadlineMs() const {
    if (acked_ < size_) {
        int64_t whole = startedMs_ + kUpgradeTransferBaseMs +
                        static_cast<int64_t>(size_ * 1000 / kUpgradeMinBytesPerSecond);
        return std::min(lastAckMs_ + kUpgradeAckStallMs, whole);
    }
    return std::min(lastStateMs_ + kUpgradeStateStallMs, writingSinceMs_ + kUpgradeWritingLimitMs);
}

bool Upgrade::GiveUpSending(int64_t now, int64_t startedMs) const {
    // Once closed, a frame may take only a short while more, counted from the close or from
    // its own start, whichever is later; before, until the upgrade's next bound.
    if (closed_) return now >= std::max(closedMs_, startedMs) + kUpgradeCloseGraceMs;
    return result_ == 0 && now >= DeadlineMs();
}

bool Upgrade::SendOwn(std::unique_lock<std::mutex>& lock, Type type, uint32_t requestId,
                      const uint8_t* payload, size_t size) {
    const int64_t startedMs = NowMs();
    lock.unlock();
    bool sent = session_->Send(type, requestId, payload, size, [this, startedMs] {
        std::lock_guard held(mutex_);
        if (!GiveUpSending(NowMs(), startedMs)) return false;
        // The bound is the cause: settled now, before cutting the frame drops the connection and
        // the lost session would name itself instead.
        if (!closed_ && result_ == 0) {
            End(-2, kTimeout);
            abort_ = true;
        }
        return true;
    });
    lock.lock();
    return sent;
}

void Upgrade::Run() {
    std::vector<uint8_t> frame;
    uint64_t offset = 0;
    Shown shown;
    std::unique_lock lock(mutex_);
    const uint32_t requestId = requestId_;
    for (;;) {
        if (closed_) {
            // Closed by the caller: no callback any more, and the device forgets an upgrade
            // that has not ended (or that ended on this side only).
            bool abort = result_ == 0 || abort_;
            phase_ = Phase::Ended;
            if (abort) SendOwn(lock, Type::UpgradeAbort, requestId, nullptr, 0);
            return;
        }
        if (result_ == 0 && NowMs() >= DeadlineMs()) {
            End(-2, kTimeout);
            abort_ = true;
        }
        if (result_ != 0) {
            // Where the upgrade got to, then its end; nothing after that.
            ReportProgress(lock, shown, true);
            ReportProgress(lock, shown, true);
            phase_ = Phase::Ended;
            if (abort_) SendOwn(lock, Type::UpgradeAbort, requestId, nullptr, 0);
            // The final callback runs on this thread: it learns the cause from DevGetLastError.
            SetLastError(result_ == -1 ? kOk : cause_);
            Deliver(lock, 0, result_);
            return;
        }
        int64_t dueMs = ReportProgress(lock, shown, false);
        if (closed_ || result_ != 0) continue;
        uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(chunk_, size_ - offset));
        if (offset < size_ && offset + n <= acked_ + window_) {
            bool readable = true;
            if (SendChunk(lock, frame, offset, n, requestId, readable)) {
                offset += n;
            } else if (result_ == 0 && !closed_) {
                // An unreadable file: the device will never see the whole image. A bound that
                // ran out while the frame waited ends the upgrade as any bound does; a lost
                // connection needs no abort.
                bool late = NowMs() >= DeadlineMs();
                End(-2, !readable ? kFileRead : late ? kTimeout : kDisconnected);
                abort_ = !readable || late;
            }
            continue;
        }
        int64_t wakeMs = dueMs ? std::min(dueMs, DeadlineMs()) : DeadlineMs();
        changed_.wait_for(lock, std::chrono::milliseconds(std::max<int64_t>(1, wakeMs - NowMs())));
    }
}

bool Upgrade::SendChunk(std::unique_lock<std::mutex>& lock, std::vector<uint8_t>& payload,
                        uint64_t offset, uint32_t n, uint32_t requestId, bool& readable) {
    lock.unlock();
    payload.resize(8 + n);
    readable = std::fread(payload.data() + 8, 1, n, file_) == n;
    lock.lock();
    if (!readable) return false;
    for (int i = 0; i < 8; ++i) payload[i] = static_cast<uint8_t>(offset >> (8 * i));
    return SendOwn(lock, Type::UpgradeData, requestId, payload.data(), payload.size());
}

int64_t Upgrade::ReportProgress(std::unique_lock<std::mutex>& lock, Shown& shown, bool flush) {
    int64_t now = NowMs();
    int64_t due = shown.any ? shown.atMs + kUpgradeReportMs : now;
    // Transfer progress ends when writing progress begins.
    if (shown.percent < 0 && acked_ > shown.bytes) {
        bool enough = acked_ == size_ || acked_ - shown.bytes >= std::max<uint64_t>(1, size_ / 100);
        if (flush || (enough && now >= due)) {
            shown.bytes = acked_;
            shown.atMs = now;
            shown.any = true;
            Deliver(lock, static_cast<int32_t>(size_), static_cast<int32_t>(shown.bytes));
            return 0;
        }
        if (enough) return due;
    }
    if (writing_ >= 0 && writing_ != shown.percent) {
        if (flush || now >= due) {
            shown.percent = writing_;
            shown.atMs = now;
            shown.any = true;
            Deliver(lock, -1, shown.percent);
            return 0;
        }
        return due;
    }
    return 0;
}

void Upgrade::Deliver(std::unique_lock<std::mutex>& lock, int32_t total, int32_t current) {
    if (closed_ || !progress_) return;
    inCallback_ = true;
    callbackThread_ = std::this_thread::get_id();
    int32_t handle = handle_;
    lock.unlock();
    progress_(login_, handle, total, current, user_);
    lock.lock();
    inCallback_ = false;
    changed_.notify_all();
}

void Upgrade::OnDeviceFrame(const Frame& frame) {
    UpgradeEvent event;
    if (!DecodeUpgradeEvent(frame, event)) return;
    std::lock_guard lock(mutex_);
    if (frame.requestId != requestId_ || result_ != 0) return;
    int64_t now = NowMs();
    if (event.kind == UpgradeEvent::Ack) {
        uint64_t bytes = std::min(event.bytes, size_);
        if (bytes <= acked_) return;
        acked_ = bytes;
        lastAckMs_ = now;
        if (acked_ == size_) writingSinceMs_ = lastStateMs_ = now;
    } else if (event.kind == UpgradeEvent::Writing) {
        writing_ = std::clamp(event.value, 0, 100);
        lastStateMs_ = now;
    } else if (event.value == kOk) {
        End(-1, kOk);
    } else {
        End(-2, event.value);
    }
    changed_.notify_all();
}

void Upgrade::OnSessionLost() {
    std::lock_guard lock(mutex_);
    if (result_ == 0) End(-2, kDisconnected);
    changed_.notify_all();
}

void Upgrade::End(int32_t result, int32_t cause) {
    result_ = result;
    cause_ = cause;
}

void Upgrade::Close() {
    uint32_t requestId;
    bool starting;
    {
        std::unique_lock lock(mutex_);
        closed_ = true;
        closedMs_ = NowMs();
        starting = phase_ == Phase::Starting;
        requestId = requestId_;
        changed_.notify_all();
        // A callback running on another thread finishes before Close returns; one running on
        // this thread is the caller itself.
        changed_.wait(
            lock, [&] { return !inCallback_ || callbackThread_ == std::this_thread::get_id(); });
    }
    // The connection is never waited for here: the upgrade thread sends the abort, and a start
    // still waiting for the device's answer stops waiting and sends it.
    if (starting) {
        cancelBegin_ = true;
        session_->Wake();
    }
    if (requestId) session_->DetachUpgrade(requestId);
}

}  // namespace quorn
