// DirectionName.hpp: a direction as the tests print it.
#pragma once

#include "core/Direction.hpp"

namespace testsupport {

inline const char* DirectionName(Direction direction) {
    switch (direction) {
        case Direction::ToTraditional:
            return "to Traditional";
        case Direction::ToSimplified:
            break;
    }
    return "to Simplified";
}

}  // namespace testsupport
