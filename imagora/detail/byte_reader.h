#pragma once

#include "platform/byte_reader.h"

namespace imagora::detail {

using lumaret::ByteReader;
using lumaret::Bytes;

}  // namespace imagora::detail
