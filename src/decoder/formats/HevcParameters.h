// Reads what the decoder will allocate from an HEVC configuration's parameter sets, before
// any data reaches the decoder.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "decoder/formats/HeifContainer.h"

// The picture size the sequence parameter set of an HEVC configuration codes, which the
// decoder allocates whatever the item declares; nothing when the configuration has no
// readable one.
std::optional<std::pair<uint32_t, uint32_t>> HevcCodedSize(const THeifHevcConfig& config);
