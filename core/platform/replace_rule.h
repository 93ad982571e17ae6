// What a write may do with what is already at its target: the rule both
// systems' file access share, each seeing the target in its own terms.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/platform/file_access.h"

namespace ridloe {

// kOwnStream: a file this process reads or writes as a standard stream
// (standard output redirected to it, say), whatever it is.
enum class TargetState { kMissing, kRegular, kOther, kOwnStream };

template <class Code>
struct Refusal {
  Step step = Step::kNone;
  Code code{};  // the system's error code, where the system gave one
};

// Only a regular file is ever written over, only when `mayReplace` (where
// given) accepts its first bytes, only when it is not read-only, and only
// when `existing` allows replacing.
// `readFirst(bytes, size, code)` reads up to `size` first bytes of the file
// and sets `size` to what it read; false, with the system's code, when it
// cannot (the file is then kept).
template <class Code, class ReadFirst>
Refusal<Code> RefusalFor(TargetState state, bool readOnly, ExistingTarget existing, const ReplaceCheck& mayReplace,
                         ReadFirst&& readFirst) {
  if (state == TargetState::kOther) return {Step::kNotRegular};
  if (state == TargetState::kOwnStream) return {Step::kOwnStream};
  if (state == TargetState::kMissing) return {};
  if (mayReplace) {
    std::uint8_t first[64];
    std::size_t size = sizeof first;
    Code code{};
    if (!readFirst(first, size, code)) return {Step::kKept, code};
    if (!mayReplace(ByteSpan(first, size))) return {Step::kKept};
  }
  if (readOnly) return {Step::kReadOnly};
  if (existing == ExistingTarget::kKeep) return {Step::kExists};
  return {};
}

}  // namespace ridloe
