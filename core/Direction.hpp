// Direction.hpp: which way text converts.
#pragma once

// One meaning everywhere: the window's radio index, the command line's options and every routine below
// them map onto this, and every branch on it is a switch without a default, so a third value cannot slip by.
enum class Direction { ToTraditional, ToSimplified };
