#include "correlation/analysis/RealFftPlan.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace vexlan::analysis {
namespace {

// In place, iterative radix-2; sign is that of the exponent.
void ComplexTransform(std::vector<std::complex<double>>& a, int sign) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle = sign * 2 * std::numbers::pi / double(length);
        for (std::size_t start = 0; start < n; start += length) {
            for (std::size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> w = std::polar(1.0, angle * double(k));
                const std::complex<double> u = a[start + k], v = a[start + k + length / 2] * w;
                a[start + k] = u + v;
                a[start + k + length / 2] = u - v;
            }
        }
    }
}

}  // namespace

struct RealFftPlan::Impl {
    explicit Impl(int size) : n(std::size_t(size)), in(n / 2 + 1), out(n), work(n) {}
    std::size_t n;
    std::vector<std::complex<double>> in;
    std::vector<double> out;
    std::vector<std::complex<double>> work;
};

RealFftPlan::RealFftPlan(int n) : impl_(std::make_unique<Impl>(n)) {}
RealFftPlan::~RealFftPlan() = default;
std::complex<double>* RealFftPlan::bins() { return impl_->in.data(); }
double* RealFftPlan::lags() { return impl_->out.data(); }

void RealFftPlan::Inverse() {
    Impl& p = *impl_;
    const std::size_t half = p.n / 2;
    for (std::size_t k = 0; k <= half; ++k) p.work[k] = p.in[k];
    for (std::size_t k = half + 1; k < p.n; ++k) p.work[k] = std::conj(p.in[p.n - k]);
    // A real result needs real ends, as the half-spectrum transform assumes.
    p.work[0] = p.work[0].real();
    if (p.n > 1) p.work[half] = p.work[half].real();
    ComplexTransform(p.work, +1);
    for (std::size_t m = 0; m < p.n; ++m) p.out[m] = p.work[m].real();
}

void RealFftPlan::Forward() {
    Impl& p = *impl_;
    for (std::size_t m = 0; m < p.n; ++m) p.work[m] = p.out[m];
    ComplexTransform(p.work, -1);
    for (std::size_t k = 0; k <= p.n / 2; ++k) p.in[k] = p.work[k];
}

}  // namespace vexlan::analysis
