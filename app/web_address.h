#pragma once

namespace lumaret {

// The product's web page, opened by the web buttons of the main and about windows.
inline constexpr const char* kWebAddress = "https://lumaret.example.org";

// The address as the buttons show it, without the scheme.
inline constexpr const char* kWebAddressShown = "lumaret.example.org";

}  // namespace lumaret
