#include "devsim/session/Images.h"

#include <openssl/evp.h>

#include <array>
#include <cstring>

#include "quorn/Frame.h"

namespace tesmara::devsim {

namespace {

constexpr uint8_t kCoiMagic[4] = {'Q', 'C', 'O', 'I'};
constexpr uint32_t kCoiFormat = 1;
constexpr uint32_t kMaxCoiBlocks = 64;

void PutText(std::vector<uint8_t>& out, size_t offset, const std::string& text) {
    size_t n = std::min(text.size(), size_t{31});
    std::memcpy(out.data() + offset, text.data(), n);
}

std::string GetText(const uint8_t* slot) {
    size_t n = 0;
    while (n < 32 && slot[n]) ++n;
    return std::string(reinterpret_cast<const char*>(slot), n);
}

}  // namespace

struct Sha256::Context {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256() : m_context(std::make_unique<Context>()) {
    EVP_DigestInit_ex(m_context->ctx, EVP_sha256(), nullptr);
}

Sha256::~Sha256() = default;

void Sha256::Update(const void* data, size_t size) {
    if (size) EVP_DigestUpdate(m_context->ctx, data, size);
}

Sha256Digest Sha256::Finish() {
    Sha256Digest digest{};
    unsigned int n = 0;
    EVP_DigestFinal_ex(m_context->ctx, digest.data(), &n);
    EVP_DigestInit_ex(m_context->ctx, EVP_sha256(), nullptr);
    return digest;
}

std::vector<uint8_t> EncodeImageHeader(const ImageHeader& h) {
    quorn::Writer w;
    w.Bytes(quorn::kImageMagic, 4).U32(quorn::kImageFormat);
    std::vector<uint8_t> out = w.Data();
    out.resize(kImageHeaderSize);
    PutText(out, quorn::kImageModelAt, h.model);
    PutText(out, quorn::kImageVersionAt, h.releaseVersion);
    PutText(out, quorn::kImageTimeAt, h.releaseTime);
    for (int i = 0; i < 8; ++i)
        out[quorn::kImageLengthAt + i] = static_cast<uint8_t>(h.payloadLength >> (8 * i));
    std::memcpy(out.data() + quorn::kImageHashAt, h.payloadHash.data(), h.payloadHash.size());
    uint32_t headerCrc = Crc32(0, out.data(), quorn::kImageHeaderCrcAt);
    for (int i = 0; i < 4; ++i)
        out[quorn::kImageHeaderCrcAt + i] = static_cast<uint8_t>(headerCrc >> (8 * i));
    return out;
}

bool DecodeImageHeader(const uint8_t* bytes, ImageHeader& h) {
    if (!quorn::CheckImageHeader(bytes, h.payloadLength)) return false;
    std::memcpy(h.payloadHash.data(), bytes + quorn::kImageHashAt, h.payloadHash.size());
    h.model = GetText(bytes + quorn::kImageModelAt);
    h.releaseVersion = GetText(bytes + quorn::kImageVersionAt);
    h.releaseTime = GetText(bytes + quorn::kImageTimeAt);
    return true;
}

std::vector<uint8_t> EncodeCoi(const std::vector<CoiBlock>& blocks) {
    quorn::Writer w;
    w.Bytes(kCoiMagic, 4).U32(kCoiFormat).U32(static_cast<uint32_t>(blocks.size()));
    for (const auto& b : blocks) {
        w.I32(b.command).I32(b.channel).U32(static_cast<uint32_t>(b.data.size()));
        w.Bytes(b.data.data(), b.data.size());
    }
    uint32_t crc = Crc32(0, w.Data().data(), w.Data().size());
    w.U32(crc);
    return w.Data();
}

bool DecodeCoi(const std::vector<uint8_t>& file, std::vector<CoiBlock>& blocks) {
    blocks.clear();
    if (file.size() < 16) return false;
    size_t body = file.size() - 4;
    quorn::Reader crcReader(file.data() + body, 4);
    if (crcReader.U32() != Crc32(0, file.data(), body)) return false;
    quorn::Reader r(file.data(), body);
    const uint8_t* magic = r.Bytes(4);
    if (!magic || std::memcmp(magic, kCoiMagic, 4) != 0 || r.U32() != kCoiFormat) return false;
    uint32_t count = r.U32();
    if (count == 0 || count > kMaxCoiBlocks) return false;
    for (uint32_t i = 0; i < count; ++i) {
        CoiBlock b;
        b.command = r.I32();
        b.channel = r.I32();
        uint32_t length = r.U32();
        const uint8_t* data = r.Bytes(length);
        if (!data) return false;
        b.data.assign(data, data + length);
        blocks.push_back(std::move(b));
    }
    return r.Done();
}

}  // namespace tesmara::devsim
