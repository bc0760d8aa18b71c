#pragma once
// A real transform of one size in double precision, both ways, over buffers it owns: FFTW where
// the build has it, a plain radix-2 transform elsewhere (the Windows cross build). Unnormalised,
// with FFTW's signs: Inverse() makes lags()[m] = sum over the Hermitian spectrum of
// bins()[k] e^(+2 pi i k m / n); Forward() makes bins()[k] = sum of lags()[m] e^(-2 pi i k m / n).

#include <complex>
#include <memory>

namespace vexlan::analysis {

class RealFftPlan {
public:
    explicit RealFftPlan(int n);  // n a power of two
    ~RealFftPlan();
    RealFftPlan(const RealFftPlan&) = delete;
    RealFftPlan& operator=(const RealFftPlan&) = delete;

    std::complex<double>* bins();  // n / 2 + 1 values
    double* lags();                // n values
    void Inverse();                // bins -> lags; the bins may be overwritten
    void Forward();                // lags -> bins

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vexlan::analysis
