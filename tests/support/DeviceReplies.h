// The recorder's side of the discovery datagrams, for the in-memory network and the codec
// tests: decoding an assignment request and encoding the three replies. The application only
// sends requests and reads replies; devsim has its own device side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "discovery/SearchInfoBlock.h"

namespace tesmara {

struct AssignRequest {
    uint8_t mac[6] = {};
    uint32_t address = 0;  // host order
    uint32_t gateway = 0;
    uint32_t mask = 0;
};
bool DecodeAssignRequest(const uint8_t* data, size_t size, AssignRequest& out);

std::vector<uint8_t> EncodeBasicReply(const SearchInfoBlock& info);
std::vector<uint8_t> EncodeDetailReply(const SearchInfoBlock& info);
std::vector<uint8_t> EncodeAssignReply(const uint8_t mac[6]);

// The inverse of DecodeSearchInfoBlock. Texts longer than their slot are cut; one that fills its
// slot exactly is written without a NUL.
void EncodeSearchInfoBlock(const SearchInfoBlock& info, uint8_t* block, size_t size);

}  // namespace tesmara
