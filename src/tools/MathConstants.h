#pragma once

// The mathematical constants of the program's geometry and curves.
namespace MathConstants {

constexpr double kPi = 3.14159265358979323846;

}  // namespace MathConstants
