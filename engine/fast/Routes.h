// The routing table: which fast loops may run filter k, in the order they are
// tried. An index outside the table is the identity.
#pragma once

#include "Loops.h"
#include "PassContext.h"

#include <array>
#include <cstdint>
#include <iterator>

namespace tintwell::fast {

// When every loop of a route declines, the filter runs the kernel a pixel at
// a time over threads, or, for a filter that reads other pixels, the
// sequential walk.
struct Route {
    std::array<Loop, 2> loops{};
};

inline constexpr Route routes[] = {
    /*  0 */ {{filter0}},
    /*  1 */ {{filter1}},
    /*  2 */ {{filter2}},
    /*  3 */ {{filter3}},
    /*  4 */ {{filter4}},
    /*  5 */ {{filter5}},
    /*  6 */ {{filter6}},
    /*  7 */ {{filter7}},
    /*  8 */ {{filter8}},
    /*  9 */ {{filter9}},
    /* 10 */ {{filter10}},
    /* 11 */ {{filter11}},
    /* 12 */ {{filter12}},
    /* 13 */ {{filter13}},
    /* 14 */ {{filter14InLanes, filter14}},
    /* 15 */ {{filter15}},
    /* 16 */ {{filter16}},
    /* 17 */ {{filter17}},
    /* 18 */ {{filter18}},
    /* 19 */ {{filter19}},
    /* 20 */ {{filter20}},
    /* 21 */ {{filter21}},
    /* 22 */ {{filter22}},
    /* 23 */ {{filter23}},
    /* 24 */ {{filter24}},
};
static_assert(std::size(routes) == filterCount, "one route per filter");

inline constexpr Route identityRoute{{identity}};

inline const Route &routeOf(std::uint32_t index)
{
    return index < std::size(routes) ? routes[index] : identityRoute;
}

} // namespace tintwell::fast
