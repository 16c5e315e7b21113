#pragma once
// One-dimensional gradient noise (the 1-D form of the classic lattice noise with 256 gradients),
// behind the "noise" wave of oscillations. The tables are filled once per process from the
// application's random generator.

// Fills the tables; later calls do nothing. Called by GradientNoise1D on first use. Any thread.
void InitGradientNoise();

// Noise at x, in about [-0.5, 0.5]; 0 at every integer x above -4096. Any phase is accepted:
// phases too large for the lattice arithmetic are reduced by the lattice period first, and a
// phase that is not a finite number gives 0.
float GradientNoise1D(double x);
