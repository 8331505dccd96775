// Direction.hpp: which way text converts.
#pragma once

// One meaning everywhere: the window's radio index, the command line's options and every routine below
// them map onto this, and every branch on it is a switch without a default, so a third value cannot slip by.
enum class Direction { ToTraditional, ToSimplified };

// What belongs to a direction, of a pair: Of(Direction::ToSimplified, a, b) is b.
template <class T>
const T& Of(Direction direction, const T& toTraditional, const T& toSimplified) {
    switch (direction) {
        case Direction::ToTraditional:
            return toTraditional;
        case Direction::ToSimplified:
            break;
    }
    return toSimplified;
}
