#include "testsupport/generator/DoubleFft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace vexlan::kedgen {

void ComplexFft(std::vector<std::complex<double>>& data, int sign) {
    const std::size_t n = data.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j |= bit;
        if (i < j) std::swap(data[i], data[j]);
    }
    for (std::size_t span = 1; span < n; span <<= 1) {
        const double angle = sign * std::numbers::pi / double(span);
        for (std::size_t q = 0; q < span; ++q) {
            const std::complex<double> w(std::cos(angle * double(q)), std::sin(angle * double(q)));
            for (std::size_t p = q; p < n; p += 2 * span) {
                const std::complex<double> t = w * data[p + span];
                data[p + span] = data[p] - t;
                data[p] += t;
            }
        }
    }
}

}  // namespace vexlan::kedgen
