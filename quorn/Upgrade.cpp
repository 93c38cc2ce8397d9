#include "quorn/Upgrade.h"

#include <algorithm>
#include <vector>

#include "quorn/Messages.h"
#include "quorn/Protocol.h"
#include "quorn/Session.h"

namespace quorn {

namespace {

constexpr int kBeginMs = 10000;

}  // namespace

Upgrade::Upgrade(std::shared_ptr<Session> session, int32_t login, std::FILE* file, uint64_t size,
                 QuornProgressCallback progress, void* user)
    : session_(std::move(session)),
      login_(login),
      file_(file),
      size_(size),
      progress_(progress),
      user_(user) {}

Upgrade::~Upgrade() {
    if (sender_.joinable()) sender_.detach();
    if (file_) std::fclose(file_);
}

int32_t Upgrade::Start() {
    {
        std::lock_guard lock(mutex_);
        if (started_ || stopping_) return kBadState;
        started_ = true;
    }
    // Attach first: the device may acknowledge as soon as it has answered.
    requestId_ = session_->NextRequestId();
    session_->AttachUpgrade(requestId_, shared_from_this());
    Writer begin;
    begin.U64(size_);
    Frame reply;
    Reader window(nullptr, 0);
    int32_t status = session_->StatusRequest(Type::UpgradeBegin, requestId_, begin.Data(), kBeginMs,
                                             reply, &window);
    if (status == kOk) {
        uint32_t granted = window.U32();
        if (window.Ok()) {
            std::lock_guard lock(mutex_);
            window_ = std::clamp<uint64_t>(granted, kUpgradeChunk, kMaxWindow);
        } else {
            status = kProtocolError;
        }
    }
    if (status != kOk) {
        session_->DetachUpgrade(requestId_);
        std::lock_guard lock(reportMutex_);
        final_ = true;  // never started: the caller closes it without a final callback
        return status;
    }
    try {
        sender_ = std::thread([self = shared_from_this()] { self->SendLoop(); });
    } catch (...) {
        session_->DetachUpgrade(requestId_);
        std::lock_guard lock(reportMutex_);
        final_ = true;
        return kNoResources;
    }
    return kOk;
}

void Upgrade::SendLoop() {
    std::vector<uint8_t> frame(kHeaderSize + 8 + kUpgradeChunk);
    uint64_t offset = 0;
    while (offset < size_) {
        uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(kUpgradeChunk, size_ - offset));
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || offset + n <= acked_ + window_; });
            if (stopping_) return;
        }
        size_t got = std::fread(frame.data() + kHeaderSize + 8, 1, n, file_);
        if (got != n) {
            // The file shrank or cannot be read: the device will never see the whole image.
            session_->Send(Type::UpgradeAbort, requestId_, {});
            Finish(false);
            return;
        }
        EncodeHeader(static_cast<uint8_t>(Type::UpgradeData), requestId_, 8 + n, frame.data());
        for (int i = 0; i < 8; ++i)
            frame[kHeaderSize + i] = static_cast<uint8_t>(offset >> (8 * i));
        frame.resize(kHeaderSize + 8 + n);
        if (!session_->SendBytes(frame)) return;  // the session's death reports the failure
        frame.resize(kHeaderSize + 8 + kUpgradeChunk);
        offset += n;
    }
}

void Upgrade::OnDeviceFrame(const Frame& frame) {
    UpgradeEvent event;
    if (frame.requestId != requestId_ || !DecodeUpgradeEvent(frame, event)) return;
    if (event.kind == UpgradeEvent::Ack) {
        uint64_t bytes = std::min(event.bytes, size_);
        {
            std::lock_guard lock(mutex_);
            if (bytes <= acked_) return;
            acked_ = bytes;
            changed_.notify_all();
        }
        Report(static_cast<int32_t>(size_), static_cast<int32_t>(bytes));
    } else if (event.kind == UpgradeEvent::Writing) {
        Report(-1, std::clamp(event.value, 0, 100));
    } else {
        Finish(event.value == kOk);
    }
}

void Upgrade::OnSessionLost() {
    Finish(false);
}

void Upgrade::Report(int32_t total, int32_t current) {
    std::lock_guard lock(reportMutex_);
    if (final_ || closed_ || !progress_) return;
    progress_(login_, handle_, total, current, user_);
}

void Upgrade::Finish(bool done) {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    std::lock_guard lock(reportMutex_);
    if (final_) return;
    final_ = true;
    if (!closed_ && progress_) progress_(login_, handle_, 0, done ? -1 : -2, user_);
}

void Upgrade::Close() {
    bool abort;
    {
        std::lock_guard lock(mutex_);
        abort = started_ && !stopping_;
        stopping_ = true;
        changed_.notify_all();
    }
    {
        std::lock_guard lock(reportMutex_);
        closed_ = true;
        final_ = true;
    }
    if (abort) session_->Send(Type::UpgradeAbort, requestId_, {});
    session_->DetachUpgrade(requestId_);
    // The sender sees stopping_ and ends by itself; it keeps this object (and the file) alive
    // until then. Not joining here keeps a callback that closes its own upgrade safe.
    if (sender_.joinable()) sender_.detach();
}

}  // namespace quorn
