#pragma once
// Small angle and rounding helpers shared by the geodesy and the vector code.
// Angles are degrees.

// `value` rounded to the nearest multiple of `step`, halves away from zero; 0
// when |value| is below half a step.
double RoundTo(double value, double step);

// `value` brought into low ... high by whole turns: 360 is subtracted while it
// is above `high`, then added while it is below `low`. Infinite and NaN values
// (or bounds) leave the value unchanged.
double LimitDegrees(double value, double low, double high);

// a - b as the shortest turn between the two directions, -180 ... 180; 0 when
// a equals b.
double DegreeDifference(double a, double b);
