// The product name in block letters, each drawn with its own capital, as the
// title screen and the report's banner show it. Every row is the same width,
// and no letter reaches below the fourth row.
#pragma once

#include <array>
#include <string_view>

namespace tavolin {

inline constexpr std::array<std::string_view, 4> kBannerRows = {
    "TTTTTTT    AAA    V     V   OOOOO   L       IIIII   N    N",
    "   T      A   A    V   V   O     O  L         I     NN   N",
    "   T     AAAAAAA    V V    O     O  L         I     N  N N",
    "   T     A     A     V      OOOOO   LLLLLL  IIIII   N   NN",
};

// The credit that stands in the second row of both banners.
inline constexpr std::string_view kCredit = "Created by Varrowin   v. 1.04";

}  // namespace tavolin
