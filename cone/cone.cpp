#include "cone/cone.h"

#include <cmath>
#include <optional>
#include <stdexcept>

namespace pelmora::cone {
namespace {

constexpr double p = Pi;
constexpr double p2 = 2 * Pi;  // exact doublings
constexpr double p4 = 4 * Pi;

// Runs the operations of one formula and remembers the first that fails. Each operation is
// a separate statement on doubles; with contraction off none of them is fused with another.
class Steps {
public:
    double mul(double a, double b) { return check(a * b); }
    double add(double a, double b) { return check(a + b); }
    double sub(double a, double b) { return check(a - b); }
    double div(double a, double b) {
        if (b == 0) fail(ConeFailure::DivisionByZero);
        return check(a / b);
    }
    double sqrt(double a) {
        if (a < 0) fail(ConeFailure::NegativeSquareRoot);  // -0 is not below zero
        return check(std::sqrt(a));
    }
    void input(double a) { check(a); }

    std::optional<ConeFailure> failure() const { return m_failure; }

private:
    double check(double result) {
        if (!std::isfinite(result)) fail(ConeFailure::Overflow);
        return result;
    }
    void fail(ConeFailure kind) {
        if (!m_failure) m_failure = kind;
    }

    std::optional<ConeFailure> m_failure;
};

}  // namespace

double ValueOf(const ConeValues& values, Quantity quantity) {
    switch (quantity) {
        case Quantity::R:
            return values.R;
        case Quantity::L:
            return values.L;
        case Quantity::So:
            return values.So;
        case Quantity::Sp:
            return values.Sp;
    }
    throw std::out_of_range("no such quantity");
}

ConeResult SolveCone(std::int16_t variant, double first, double second) {
    if (variant < 0 || variant >= kVariantCount) throw std::out_of_range("no such variant");

    Steps s;
    s.input(first);
    s.input(second);
    if (auto failure = s.failure()) return *failure;

    ConeValues v{};
    switch (variant) {
        case 0:  // R, L known
            v.R = first;
            v.L = second;
            v.So = s.mul(s.mul(p, v.R), v.L);
            v.Sp = s.mul(s.mul(p, v.R), s.add(v.R, v.L));
            break;
        case 1:  // R, So known
            v.R = first;
            v.So = second;
            v.L = s.div(v.So, s.mul(p, v.R));
            v.Sp = s.mul(s.mul(p, v.R), s.add(v.R, v.L));
            break;
        case 2: {  // L, Sp known: the root of p·R² + p·L·R − Sp = 0 with +√, whatever Sp's sign
            v.L = first;
            v.Sp = second;
            const double t = s.mul(v.Sp, p4);
            const double d = s.add(s.mul(s.mul(s.mul(v.L, v.L), p), p), t);
            const double q = s.sqrt(d);
            v.R = s.div(s.add(s.mul(-v.L, p), q), p2);
            v.So = s.mul(s.mul(p, v.R), v.L);
            break;
        }
        case 3:  // L, So known
            v.L = first;
            v.So = second;
            v.R = s.div(v.So, s.mul(p, v.L));
            v.Sp = s.mul(s.mul(p, v.R), s.add(v.R, v.L));
            break;
        case 4: {  // R, Sp known
            v.R = first;
            v.Sp = second;
            const double lateral = s.sub(v.Sp, s.mul(s.mul(p, v.R), v.R));
            v.L = s.div(lateral, s.mul(p, v.R));
            v.So = lateral;
            break;
        }
        case 5:  // So, Sp known
            v.So = first;
            v.Sp = second;
            v.R = s.sqrt(s.div(s.sub(v.Sp, v.So), p));
            v.L = s.div(v.So, s.mul(p, v.R));
            break;
    }
    if (auto failure = s.failure()) return *failure;
    return v;
}

}  // namespace pelmora::cone
