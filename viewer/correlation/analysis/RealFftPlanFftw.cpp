#include "correlation/analysis/RealFftPlan.h"

#include <fftw3.h>

namespace vexlan::analysis {

struct RealFftPlan::Impl {
    explicit Impl(int n)
        : in(fftw_alloc_complex(std::size_t(n / 2 + 1))),
          out(fftw_alloc_real(std::size_t(n))),
          inverse(fftw_plan_dft_c2r_1d(n, in, out, FFTW_ESTIMATE)),
          forward(fftw_plan_dft_r2c_1d(n, out, in, FFTW_ESTIMATE)) {}
    ~Impl() {
        fftw_destroy_plan(inverse);
        fftw_destroy_plan(forward);
        fftw_free(in);
        fftw_free(out);
    }
    fftw_complex* in;
    double* out;
    fftw_plan inverse;
    fftw_plan forward;
};

RealFftPlan::RealFftPlan(int n) : impl_(std::make_unique<Impl>(n)) {}
RealFftPlan::~RealFftPlan() = default;
std::complex<double>* RealFftPlan::bins() { return reinterpret_cast<std::complex<double>*>(impl_->in); }
double* RealFftPlan::lags() { return impl_->out; }
void RealFftPlan::Inverse() { fftw_execute(impl_->inverse); }
void RealFftPlan::Forward() { fftw_execute(impl_->forward); }

}  // namespace vexlan::analysis
