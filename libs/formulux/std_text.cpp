// Output and texts: disp, printf, sprintf, num2str, str2double, strcmp.
#include "formulux/format.h"
#include "formulux/messages.h"
#include "formulux/std_functions.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace formulux {

namespace {

CMCVariable fDisp(const Context& ctx, Args a)
{
    ctx.write(displayText(a[0]));
    return CMCVariable();
}

CMCVariable fPrintf(const Context& ctx, Args a)
{
    ctx.write(formatText(a[0], a.subspan(1), ctx));
    return CMCVariable();
}

CMCVariable fSprintf(const Context& ctx, Args a) { return CMCVariable::fromText(formatText(a[0], a.subspan(1), ctx)); }

CMCVariable fNum2str(const Context& ctx, Args a)
{
    const CMCVariable& x = a[0];
    if (x.isText())
        return x;
    if (x.getRows() > 1)
        fail(msg::kVectorArg);
    std::string out;
    for (std::size_t i = 0; i < x.numel(); ++i) {
        if (i)
            out += "  ";
        out += num2str(x.data()[i]);
    }
    ctx.checkSize(1, double(out.size()));
    return CMCVariable::fromText(out);
}

// A number from a text ("1.5", " -2e3 ", "Inf", "-Inf", "NaN"); anything else is NaN.
CMCVariable fStr2double(const Context&, Args a)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (!a[0].isText() && !a[0].isEmpty() && a[0].getRows() != 1)
        return nan;
    std::string t = a[0].toText();
    const auto first = t.find_first_not_of(" \t\n\r");
    if (first == std::string::npos)
        return nan;
    t = t.substr(first, t.find_last_not_of(" \t\n\r") - first + 1);
    double sign = 1.0;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        sign = t[0] == '-' ? -1.0 : 1.0;
        t.erase(0, 1);
    }
    if (t == "Inf" || t == "inf")
        return sign * std::numeric_limits<double>::infinity();
    if (t == "NaN" || t == "nan")
        return nan;
    if (t.empty() || t[0] == '+' || t[0] == '-')
        return nan;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec == std::errc::result_out_of_range)
        return sign * (t.find("e-") != std::string::npos || t.find("E-") != std::string::npos
                           ? 0.0 : std::numeric_limits<double>::infinity());
    if (ec != std::errc() || ptr != t.data() + t.size())
        return nan;
    return sign * v;
}

// Equal shapes and codes (the text flag does not matter: host texts arrive as plain codes).
CMCVariable fStrcmp(const Context&, Args a)
{
    const CMCVariable& x = a[0];
    const CMCVariable& y = a[1];
    if (x.getRows() != y.getRows() || x.getCols() != y.getCols())
        return 0.0;
    for (std::size_t i = 0; i < x.numel(); ++i)
        if (!(x.data()[i] == y.data()[i]))
            return 0.0;
    return 1.0;
}

constexpr StdFunction kTable[] = {
    {"disp", 1, 1, fDisp},           {"printf", 1, 1000000, fPrintf}, {"sprintf", 1, 1000000, fSprintf},
    {"num2str", 1, 1, fNum2str},     {"str2double", 1, 1, fStr2double}, {"strcmp", 2, 2, fStrcmp},
};

} // namespace

std::span<const StdFunction> stdTextFunctions() { return kTable; }

} // namespace formulux
