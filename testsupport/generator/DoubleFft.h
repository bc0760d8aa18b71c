#pragma once
// A plain radix-2 complex FFT in double precision for synthesising the samples. Written out here
// rather than taken from a library so that the same arguments give the same bytes everywhere.

#include <complex>
#include <vector>

namespace vexlan::kedgen {

// In place; data.size() must be a power of two. sign -1: sum x[n] e^(-2 pi i k n / N);
// sign +1: the same with e^(+...). No normalisation.
void ComplexFft(std::vector<std::complex<double>>& data, int sign);

}  // namespace vexlan::kedgen
