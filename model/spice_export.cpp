#include "model/spice_export.h"

#include <cctype>
#include <charconv>
#include <numbers>

#include "common/text_file.h"

namespace ostrino::model {

namespace {

// Ten significant digits, '.' whatever the locale, no SPICE scale letters.
std::string number(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 10);
    return std::string(buf, r.ptr);
}

// A comment stays on its line whatever the title holds.
std::string commentText(std::string_view s) {
    std::string out;
    for (char c : s) {
        out += std::iscntrl(static_cast<unsigned char>(c)) ? ' ' : c;
    }
    return out;
}

// ln(1 + exp(x)) in a form that cannot overflow: max(x, 0) + ln(1 + exp(-|x|)).
std::string softplus(const std::string& x) {
    return "(max(" + x + ",0)+ln(1+exp(-abs(" + x + "))))";
}

constexpr double kHalfPi = std::numbers::pi / 2.0;

// base^ex for a base that the equations keep positive; the floor keeps a simulator's
// derivative finite where the valve is cut off or the voltage is reversed.
std::string power(const std::string& base, const std::string& ex) {
    return "pwr(max(" + base + ",1e-10)," + ex + ")";
}

std::string sources(ModelKind kind) {
    switch (kind) {
        case ModelKind::KorenTriode: {
            const std::string x = "kp*(1/mu+V(G,K)/sqrt(kvb+V(P,K)*V(P,K)))";
            const std::string e1 = "V(P,K)/kp*" + softplus(x);
            return "Bia P K I=2/kg1*" + power(e1, "ex") + "\n";
        }
        case ModelKind::KorenPentode: {
            // The space current 2/kg1*E1^ex is shared between the anode and the screen by
            // the knee: pi/2 - atan(Va/kvb) of it is what the anode leaves to the screen.
            const std::string x = "kp*(1/mu+V(G,K)/max(V(G2,K),1e-3))";
            const std::string e1 = "max(V(G2,K),0)/kp*" + softplus(x);
            const std::string space = "2/kg1*" + power(e1, "ex");
            const std::string knee = "atan(max(V(P,K),0)/kvb)";
            return "Bia P K I=" + space + "*" + knee + "\n" +
                   "Bis G2 K I=" + power("V(G2,K)/mu+V(G,K)", "ex") + "/kg2+" + space + "*(" +
                   number(kHalfPi) + "-" + knee + ")\n";
        }
        case ModelKind::DempwolfTriode: {
            const std::string x = "C*(V(P,K)/mu+V(G,K))";
            return "Bia P K I=G*" + power(softplus(x) + "/C", "gamma") + "\n";
        }
    }
    return {};
}

std::string equationComment(ModelKind kind) {
    switch (kind) {
        case ModelKind::KorenTriode:
            return "* Ia = 2/kg1 * E1^ex, E1 = Va/kp * ln(1 + exp(kp * (1/mu + Vg/sqrt(kvb + "
                   "Va^2))))\n";
        case ModelKind::KorenPentode:
            return "* Ia = 2/kg1 * E1^ex * atan(Va/kvb), E1 = Vs/kp * ln(1 + exp(kp * (1/mu + "
                   "Vg/Vs)))\n"
                   "* Is = (Vs/mu + Vg)^ex / kg2 + 2/kg1 * E1^ex * (pi/2 - atan(Va/kvb)): below "
                   "the knee the screen takes the current the anode does not collect\n";
        case ModelKind::DempwolfTriode:
            return "* Ia = G * (ln(1 + exp(C * (Va/mu + Vg))) / C)^gamma\n";
    }
    return {};
}

}  // namespace

std::string spiceName(std::string_view title, ModelKind kind) {
    std::string name;
    for (char c : title) {
        const auto u = static_cast<unsigned char>(c);
        name += std::isalnum(u) && u < 128 ? static_cast<char>(std::toupper(u)) : '_';
    }
    while (!name.empty() && name.back() == '_') {
        name.pop_back();
    }
    if (name.find_first_not_of('_') == std::string::npos) {
        name.clear();
        for (char c : modelInfo(kind).name) {
            name += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    if (!std::isalpha(static_cast<unsigned char>(name.front()))) {
        name.insert(name.begin(), 'V');
    }
    return name;
}

std::string spiceSubcircuit(const ModelRecord& record, std::string_view subcircuitName) {
    const ModelInfo& info = modelInfo(record.kind);
    const std::string name(subcircuitName);
    std::string s;
    s += "* " + std::string(info.title) + " model";
    if (!record.title.empty()) {
        s += " of \"" + commentText(record.title) + "\"";
    }
    s += ", fitted to a measured family by the Ostrino console\n";
    s += "* Measured";
    if (!record.date.empty()) {
        s += " " + commentText(record.date);
    }
    s += ": " + commentText(record.conditions) + "\n";
    s += "* Fit: RMS error " + number(record.rmsMa) + " mA (" + number(record.rmsPercent) +
         " % of the largest measured current), worst point " + number(record.worstMa) + " mA\n";
    s += equationComment(record.kind);
    s += "* Voltages in V against the cathode, currents in A. Only the anode";
    s += info.pentode ? " and screen currents are" : " current is";
    s += " modelled: no grid current, no capacitances.\n";
    s += info.pentode ? "* Pins: P G2 G K (anode, screen grid, control grid, cathode)\n"
                      : "* Pins: P G K (anode, grid, cathode)\n";
    s += ".subckt " + name + (info.pentode ? " P G2 G K\n" : " P G K\n");
    for (std::size_t k = 0; k < info.parameters.size() && k < record.parameters.size(); ++k) {
        s += ".param " + std::string(info.parameters[k].key) + "=" + number(record.parameters[k]) +
             "\n";
    }
    s += sources(record.kind);
    s += ".ends " + name + "\n";
    return s;
}

bool saveSpiceFile(const std::string& path, const ModelRecord& record,
                   std::string_view subcircuitName, std::string& error) {
    return writeFileAtomically(path, spiceSubcircuit(record, subcircuitName), error);
}

}  // namespace ostrino::model
