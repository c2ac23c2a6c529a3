// Discrete Fourier transform of any length: mixed-radix Cooley-Tukey with radices 5, 4, 3, 2
// (and larger primes where the length has no smaller factor); primes of more than
// kDirectLimit points go through a chirp convolution of a length with factors 2, 3 and 5 only.

#include <cmath>
#include <cstddef>
#include <map>
#include <memory>
#include <numbers>

#include "distortion/numerics.h"

namespace ostrino {
namespace {

// Primes up to this length are summed directly (O(n^2) is cheaper than the convolution there).
constexpr std::size_t kDirectLimit = 32;

// The radix taken off a length: the largest of 5, 4, 3, 2 that divides it, else its smallest
// divisor from 6 up; 0 for a prime length.
std::size_t chooseRadix(std::size_t len) {
    for (std::size_t r : {5, 4, 3, 2}) {
        if (len % r == 0 && len != r) {
            return r;
        }
    }
    for (std::size_t r = 6; r * r <= len; ++r) {
        if (len % r == 0) {
            return r;
        }
    }
    return 0;
}

// Smallest 2^a 3^b 5^c that is at least `len`.
std::size_t smoothLength(std::size_t len) {
    for (std::size_t candidate = len;; ++candidate) {
        std::size_t rest = candidate;
        for (std::size_t f : {2, 3, 5}) {
            while (rest % f == 0) {
                rest /= f;
            }
        }
        if (rest == 1) {
            return candidate;
        }
    }
}

Complex unitRoot(double turns) {  // exp(-2 pi i turns)
    const double angle = 2.0 * std::numbers::pi * turns;
    return {std::cos(angle), -std::sin(angle)};
}

struct Chirp;

// Everything a transform of one length needs, computed before any data is touched.
class FftPlan {
  public:
    explicit FftPlan(std::size_t n);
    ~FftPlan();
    FftPlan(const FftPlan&) = delete;
    FftPlan& operator=(const FftPlan&) = delete;

    void execute(std::vector<Complex>& a) const;

  private:
    void prepare(std::size_t len);
    void transform(const Complex* in, std::size_t stride, Complex* out, std::size_t len) const;
    // Transform of a length whose twiddles are in the table (it divides n_), or of a prime.
    void primeOrSmall(const Complex* in, std::size_t stride, Complex* out, std::size_t len) const;
    Complex root(std::size_t power, std::size_t len) const {  // exp(-2 pi i power / len)
        return twiddle_[(power % len) * (n_ / len)];
    }

    std::size_t n_;
    std::vector<Complex> twiddle_;  // exp(-2 pi i j / n_), j = 0 .. n_ - 1
    std::map<std::size_t, std::unique_ptr<Chirp>> chirps_;
};

// Transform of a prime length p as a cyclic convolution of a smooth length.
struct Chirp {
    explicit Chirp(std::size_t p);
    void run(const Complex* in, std::size_t stride, Complex* out) const;

    std::size_t p;
    std::size_t length;
    std::vector<Complex> chirp;           // exp(-pi i j^2 / p)
    std::vector<Complex> kernelSpectrum;  // transform of the conjugate chirp, wrapped
    FftPlan plan;
};

Chirp::Chirp(std::size_t prime)
    : p(prime), length(smoothLength(2 * prime - 1)), chirp(prime), plan(length) {
    for (std::size_t j = 0; j < p; ++j) {
        // j^2 taken modulo 2p keeps the angle small and exact.
        chirp[j] = unitRoot(static_cast<double>((j * j) % (2 * p)) / static_cast<double>(2 * p));
    }
    kernelSpectrum.assign(length, Complex{});
    kernelSpectrum[0] = Conj(chirp[0]);
    for (std::size_t m = 1; m < p; ++m) {
        kernelSpectrum[m] = Conj(chirp[m]);
        kernelSpectrum[length - m] = Conj(chirp[m]);
    }
    plan.execute(kernelSpectrum);
}

void Chirp::run(const Complex* in, std::size_t stride, Complex* out) const {
    std::vector<Complex> a(length);
    for (std::size_t j = 0; j < p; ++j) {
        a[j] = in[j * stride] * chirp[j];
    }
    plan.execute(a);
    // Inverse transform through conjugation: conj(F(conj(x))) / length.
    for (std::size_t k = 0; k < length; ++k) {
        a[k] = Conj(a[k] * kernelSpectrum[k]);
    }
    plan.execute(a);
    const double scale = 1.0 / static_cast<double>(length);
    for (std::size_t k = 0; k < p; ++k) {
        out[k] = scale * (Conj(a[k]) * chirp[k]);
    }
}

FftPlan::FftPlan(std::size_t n) : n_(n), twiddle_(n) {
    for (std::size_t j = 0; j < n; ++j) {
        twiddle_[j] = unitRoot(static_cast<double>(j) / static_cast<double>(n));
    }
    prepare(n);
}

FftPlan::~FftPlan() = default;

void FftPlan::prepare(std::size_t len) {
    if (len <= 1) {
        return;
    }
    const std::size_t r = chooseRadix(len);
    if (r == 0) {
        if (len > kDirectLimit && chirps_.find(len) == chirps_.end()) {
            chirps_.emplace(len, std::make_unique<Chirp>(len));
        }
        return;
    }
    prepare(r);
    prepare(len / r);
}

void FftPlan::execute(std::vector<Complex>& a) const {
    if (a.size() != n_ || n_ <= 1) {
        return;
    }
    std::vector<Complex> out(n_);
    transform(a.data(), 1, out.data(), n_);
    a.swap(out);
}

void FftPlan::primeOrSmall(const Complex* in, std::size_t stride, Complex* out,
                           std::size_t len) const {
    if (len > kDirectLimit) {
        chirps_.at(len)->run(in, stride, out);
        return;
    }
    for (std::size_t k = 0; k < len; ++k) {
        Complex sum{};
        for (std::size_t j = 0; j < len; ++j) {
            sum = sum + in[j * stride] * root(j * k, len);
        }
        out[k] = sum;
    }
}

// Decimation in time: the r interleaved subsequences of length s are transformed into
// consecutive blocks of `out`, then combined with the twiddles by r-point transforms.
void FftPlan::transform(const Complex* in, std::size_t stride, Complex* out,
                        std::size_t len) const {
    if (len == 1) {
        out[0] = in[0];
        return;
    }
    const std::size_t r = chooseRadix(len);
    if (r == 0) {
        primeOrSmall(in, stride, out, len);
        return;
    }
    const std::size_t s = len / r;
    for (std::size_t q = 0; q < r; ++q) {
        transform(in + q * stride, stride * r, out + q * s, s);
    }
    std::vector<Complex> column(r), combined(r);
    for (std::size_t k = 0; k < s; ++k) {
        for (std::size_t q = 0; q < r; ++q) {
            column[q] = out[q * s + k] * root(q * k, len);
        }
        primeOrSmall(column.data(), 1, combined.data(), r);
        for (std::size_t p = 0; p < r; ++p) {
            out[k + s * p] = combined[p];
        }
    }
}

}  // namespace

void ComplexFFT(std::vector<Complex>& a) {
    if (a.size() <= 1) {
        return;
    }
    const FftPlan plan(a.size());
    plan.execute(a);
}

std::vector<Complex> RealFFT(std::span<const double> a) {
    const std::size_t n = a.size();
    if (n == 0) {
        return {};
    }
    if (n == 1) {
        return {Complex{a[0], 0.0}};
    }
    if (n == 2) {
        return {Complex{a[0] + a[1], 0.0}, Complex{a[0] - a[1], 0.0}};
    }
    if (n % 2 != 0) {
        std::vector<Complex> f(n);
        for (std::size_t k = 0; k < n; ++k) {
            f[k] = {a[k], 0.0};
        }
        ComplexFFT(f);
        return f;
    }
    // Even samples as real parts, odd samples as imaginary parts: one transform of half length,
    // then the two interleaved spectra are separated and joined with the twiddles.
    const std::size_t h = n / 2;
    std::vector<Complex> z(h);
    for (std::size_t k = 0; k < h; ++k) {
        z[k] = {a[2 * k], a[2 * k + 1]};
    }
    ComplexFFT(z);
    std::vector<Complex> f(n);
    for (std::size_t j = 0; j < h; ++j) {
        const Complex zj = z[j];
        const Complex zc = Conj(z[(h - j) % h]);
        const Complex even = 0.5 * (zj + zc);
        const Complex diff = 0.5 * (zj - zc);
        const Complex odd{diff.im, -diff.re};  // diff / i
        f[j] = even + unitRoot(static_cast<double>(j) / static_cast<double>(n)) * odd;
    }
    f[h] = {z[0].re - z[0].im, 0.0};
    for (std::size_t j = 1; j < h; ++j) {
        f[n - j] = Conj(f[j]);
    }
    return f;
}

}  // namespace ostrino
