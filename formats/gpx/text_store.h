// Many short texts kept one after another in one string: each as its length
// in 7-bit groups, lowest first, each group but the last with its top bit
// set, followed by its bytes. A text is found again by where it starts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ridloe {

// Appends `text` to `store`.
void PutText(std::string& store, std::string_view text);

// The text that starts at `at` in `store`, which PutText wrote there; `at`
// moves past it, to where the next one starts.
std::string_view TakeText(std::string_view store, std::size_t& at);

}  // namespace ridloe
