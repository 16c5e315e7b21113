#pragma once
// The volume and pan laws of sound effects. Volumes are factors 0..1 mapped to an attenuation in
// hundredths of a decibel; the mixer works with linear gains, converted once per change.

// (log10(9 v + 1) - 1) x 2333, truncated toward zero; anything below -2000 becomes -10000
// (silence). v is clamped to 0..1 first; NaN counts as 0.
int VolumeToAttenuation(double volume);

// 10^(hundredths / 2000); -10000 or below is exactly 0.
float AttenuationToGain(int hundredths);

// Pan in hundredths of a decibel, clamped to -10000..10000: a negative pan attenuates the right
// side by |pan|, a positive one the left side; the full value silences that side.
void PanToGains(int pan, float* leftGain, float* rightGain);
