#include "distortion/dist_analysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "common/numbers.h"
#include "common/print_writer.h"
#include "common/text_file.h"
#include "platform/entry_box.h"

namespace ostrino {

namespace {

// A value rounded to n decimals as a label shows it; a value too large to round is shown
// unrounded rather than not at all.
std::string fixed(double v, int n) {
    if (!std::isfinite(v)) {
        return DistModel::kCleared;
    }
    const std::optional<double> r = Decimals(v, n);
    return numberText(r ? *r : v);
}

// A power in mW: from 1000 mW on in W with 2 decimals, below that in mW with mwDecimals.
void showPower(double mW, int mwDecimals, std::string& value, std::string& unit) {
    if (mW >= 1000) {
        value = fixed(mW / 1000, 2);
        unit = "W";
    } else {
        value = fixed(mW, mwDecimals);
        unit = "mW";
    }
}

}  // namespace

DistModel::DistModel() {
    lblFftAmpl.fill(kNoResult);
    lblFftPwr.fill(kNoResult);
    lblFftDist.fill(kNoResult);
    lblFftdB.fill(kNoResult);
    lblFftDist[0].clear();
    lblFftdB[0].clear();
}

DistAnalysis::DistAnalysis(const MeasMatrix& curves, DistortionOverlay& overlay, Dialogs& dialogs,
                           Hooks hooks)
    : matrix_(curves), overlay_(overlay), dialogs_(dialogs), hooks_(std::move(hooks)) {}

void DistAnalysis::Form_Load() {
    vsupply_ = kVsupplyDef;
    rload_ = kRloadDef;
    vgrid_ = kVgridDef;
    vsign_ = kVsignDef;
    model = DistModel{};
    overlay_.dblDistVaMin = 0.0;
    overlay_.dblDistVaMax = 0.0;
    overlay_.blnError = false;
    publish();
    UpdateMeasFields();
}

void DistAnalysis::UpdateMeasFields() {
    model.txtVsupply = numberText(vsupply_);
    model.txtRload = numberText(rload_);
    model.txtVgrid = numberText(vgrid_);
    model.txtVsign = numberText(vsign_);
    if (hooks_.Refresh) {
        hooks_.Refresh();
    }
}

void DistAnalysis::publish() {
    overlay_.dblDistVsupply = vsupply_;
    overlay_.dblDistRload = rload_;
}

void DistAnalysis::ReadFields() {
    bool rejected = false;
    const auto read = [this, &rejected](const std::string& text, const char* box, double& value) {
        if (const std::optional<double> v = readNumberBox(text, box, dialogs_)) {
            value = *v;
        } else {
            rejected = true;
        }
    };
    read(model.txtVsupply, "Vsupply", vsupply_);
    read(model.txtRload, "Rload", rload_);
    read(model.txtVgrid, "Vgrid", vgrid_);
    read(model.txtVsign, "Vsign", vsign_);
    if (!CheckMeasFields() && rejected) {
        UpdateMeasFields();  // the box shows the value that is kept
    }
}

bool DistAnalysis::CheckMeasFields() {
    struct Limit {
        double* value;
        double min, max;
        const char *tooHigh, *tooLow;
    };
    const Limit limits[] = {
        {&vsupply_, kVsupplyMin, kVsupplyMax, "Vsupply has to less than ",
         "Vsupply has to larger than "},
        {&rload_, kRloadMin, kRloadMax, "Rload has to less than ", "Rload has to larger than "},
        {&vgrid_, kVgridMin, kVgridMax, "Vgrid has to less than ", "Vgrid has to larger than "},
        {&vsign_, kVsignMin, kVsignMax, "Vsign has to less than ", "Vsign has to larger than "},
    };
    // The boxes keep what was typed ("0.50" stays "0.50") unless a value had to be corrected.
    bool corrected = false;
    for (const Limit& l : limits) {
        if (*l.value > l.max) {
            dialogs_.message(l.tooHigh + numberText(l.max));
            *l.value = l.max;
            corrected = true;
            break;
        }
        if (!(*l.value >= l.min)) {
            dialogs_.message(l.tooLow + numberText(l.min));
            *l.value = l.min;
            corrected = true;
            break;
        }
    }
    publish();
    if (corrected) {
        UpdateMeasFields();
    }
    return corrected;
}

double DistAnalysis::SurfaceIa(double va, double vg) const {
    return SurfaceValue(surface_, va, vg);
}

void DistAnalysis::clearResults() {
    const std::string& c = DistModel::kCleared;
    for (std::string* l :
         {&model.lblIaDC, &model.lblVaDC, &model.lblPtubeDC, &model.lblPsupplyDC, &model.lblVaAV,
          &model.lblIaAV, &model.lblGain, &model.lblFftDistTotal, &model.lblFftPwrTotal}) {
        *l = c;
    }
    for (int k = 0; k < DistModel::kHarmonics; ++k) {
        model.lblFftAmpl[k] = c;
        model.lblFftPwr[k] = c;
        if (k > 0) {
            model.lblFftDist[k] = c;
            model.lblFftdB[k] = c;
        }
    }
}

void DistAnalysis::fail(const std::string& text) {
    dialogs_.message(text);
    clearResults();
    overlay_.blnError = true;
}

void DistAnalysis::countCurves() {
    // The measured rows of the current sweep: a marker of at least 1 (rounded), one curve
    // for each run of equal markers. The data never runs on into the stored block.
    measured_.clear();
    const MeasMatrix& m = matrix_;
    double marker = 0.0;
    for (int row = MeasMatrix::kActual; row < MeasMatrix::kActual + MeasMatrix::kBlockRows; ++row) {
        const double mark = roundHalfEven(m(row, MeasMatrix::Curve));
        if (!(mark >= 1)) {
            break;
        }
        if (measured_.empty() || mark != marker) {
            measured_.push_back(Curve{m(row, MeasMatrix::Vg), {}, {}});
            marker = mark;
        }
        measured_.back().va.push_back(m(row, MeasMatrix::Va));
        measured_.back().ia.push_back(m(row, MeasMatrix::Ia));
    }
    curves_ = static_cast<int>(measured_.size());
    points_ = measured_.empty() ? 0 : static_cast<int>(measured_.back().va.size());
}

void DistAnalysis::buildSurface() {
    // The anode-voltage range that every curve covers. Each curve is read from its own rows,
    // so a curve shorter than the last one never borrows points of the next.
    vaHigh_ = 1000;
    vaLow_ = -1000;
    vgMin_ = 1000;
    vgMax_ = -1000;
    for (const Curve& c : measured_) {
        vaHigh_ = std::min(vaHigh_, c.va.back());
        vaLow_ = std::max(vaLow_, c.va.front());
        vgMin_ = std::min(vgMin_, c.vg);
        vgMax_ = std::max(vgMax_, c.vg);
    }
    if (!(vaHigh_ > vaLow_)) {
        fail(
            "The measured curves have no range of anode voltages in common; measure anode "
            "characteristics (Ia against Va, one curve per grid voltage)");
        return;
    }
    if (!(vgMax_ > vgMin_)) {
        fail(
            "All measured curves have the same grid voltage; measure one curve per grid "
            "voltage");
        return;
    }

    const int n = kGridPoints;
    std::vector<double> vaGrid(n);
    for (int i = 0; i < n; ++i) {
        vaGrid[i] = vaLow_ + i * (vaHigh_ - vaLow_) / (n - 1);
    }
    std::vector<double> vgNodes;
    std::vector<double> ia;
    ia.reserve(measured_.size() * n);
    SplineInterpolant curve;
    for (const Curve& c : measured_) {
        if (!BuildLinearSpline(c.va, c.ia, curve)) {
            fail("The measured curve at Vg = " + numberText(c.vg) +
                 " V cannot be interpolated (its anode voltages do not rise)");
            return;
        }
        vgNodes.push_back(c.vg);
        for (double va : vaGrid) {
            ia.push_back(SplineValue(curve, va));
        }
    }
    if (!BuildBicubicSurface(vaGrid, vgNodes, ia, surface_)) {
        fail(
            "The measured curves do not form a surface of anode currents (values that are not "
            "numbers)");
    }
}

void DistAnalysis::checkSignalAndLoadLine() {
    if (!(vgrid_ - vsign_ >= vgMin_)) {
        fail("Signal amplitude below minimum measured Vg");
        return;
    }
    if (vgrid_ + vsign_ > vgMax_) {
        fail("Signal amplitude above maximum measured Vg");
        return;
    }
    const auto loadLine = [this](double va) { return (vsupply_ - va) / rload_; };
    if (loadLine(vaHigh_) > SurfaceIa(vaHigh_, vgrid_ - vsign_)) {
        fail(
            "Vgrid outside measurement plane, right-side. Decrease Vsupl or Vsign; or increase "
            "Rload");
        return;
    }
    if (!(loadLine(vaLow_) >= SurfaceIa(vaLow_, vgrid_ + vsign_))) {
        fail(
            "Vgrid outside measurement plane, left-side. Increase Vsupl; or decrease Vsig or "
            "Rload");
    }
}

void DistAnalysis::writeDump() const {
    // The surface on a fixed raster, for looking into an analysis that went wrong. It is a
    // by-product: a folder that cannot take it does not stop the analysis.
    PrintWriter w;
    for (int vg = -16; vg <= 0; ++vg) {
        w.str("Vg = ").zone().num(vg).endLine();
        for (int va = 0; va <= 400; va += 10) {
            w.num(va).zone().num(SurfaceIa(va, vg)).endLine();
        }
    }
    std::string error;
    writeFileAtomically(kDumpFile, w.text(), error);
}

void DistAnalysis::buildTransfer() {
    // Where the load line meets the surface, for 51 grid voltages across the swing.
    std::vector<double> vg(kTransferSteps + 1), ia(kTransferSteps + 1);
    for (int j = 0; j <= kTransferSteps; ++j) {
        const double g = (vgrid_ - vsign_) + j * (2 * vsign_ / kTransferSteps);
        double low = vaLow_, high = vsupply_;
        double va = (low + high) / 2;
        double d = SurfaceIa(va, g) - (vsupply_ - va) / rload_;
        int steps = 0;
        while (std::abs(d) > 0.001 && steps < 100) {
            if (d > 0) {
                high = va;
            } else {
                low = va;
            }
            va = (low + high) / 2;
            d = SurfaceIa(va, g) - (vsupply_ - va) / rload_;
            ++steps;
        }
        // A difference that is not a number would end the loop as if it had converged.
        if (steps >= 100 || !std::isfinite(d)) {
            overlay_.blnError = true;
        }
        vg[j] = g;
        ia[j] = SurfaceIa(va, g);
    }
    if (!overlay_.blnError && !BuildLinearSpline(vg, ia, transfer_)) {
        overlay_.blnError = true;
    }
    if (overlay_.blnError) {
        clearResults();
        dialogs_.message("Maximum number of itterations exceeded, please save problem and report.");
    }
}

void DistAnalysis::showResults() {
    const auto transfer = [this](double g) { return SplineValue(transfer_, g); };

    std::vector<double> samples(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        const double g = vgrid_ + vsign_ * std::sin(2 * std::numbers::pi * i / kSamples);
        samples[i] = vsupply_ - transfer(g) * rload_;
    }
    const std::vector<Complex> x = RealFFT(samples);
    const auto amplitude = [&x](int k) { return 2.0 / kSamples * ComplexAbs(x[k]); };

    const double iaDC = transfer(vgrid_);
    const double vaDC = vsupply_ - iaDC * rload_;
    model.lblIaDC = fixed(iaDC, 2);
    model.lblVaDC = fixed(vaDC, 2);
    showPower(iaDC * vaDC, 0, model.lblPtubeDC, model.lblPtubeDCUnit);
    showPower(iaDC * vsupply_, 0, model.lblPsupplyDC, model.lblPsupplyDCUnit);

    const double vaAV = ComplexAbs(x[0]) / kSamples;
    model.lblVaAV = fixed(vaAV, 2);
    model.lblIaAV = fixed((vsupply_ - vaAV) / rload_, 2);
    const double a1 = amplitude(1);
    model.lblGain = fixed(a1 / vsign_, 2);

    double totalPower = 0.0;
    for (int k = 1; k <= DistModel::kHarmonics; ++k) {
        const double a = amplitude(k);
        const double p = a * a / (2 * rload_);
        model.lblFftAmpl[k - 1] = fixed(a, 2);
        model.lblFftPwr[k - 1] = fixed(p, 2);
        totalPower += p;
    }
    double sum = 0.0;
    for (int k = 2; k <= DistModel::kHarmonics; ++k) {
        // Without a fundamental (a grid that does not move the current) nothing refers to it.
        if (!(a1 > 0.0)) {
            model.lblFftDist[k - 1] = DistModel::kCleared;
            model.lblFftdB[k - 1] = DistModel::kCleared;
            continue;
        }
        const double d = amplitude(k) / a1;
        model.lblFftDist[k - 1] = fixed(d * 100, 3);
        model.lblFftdB[k - 1] = d > 0.00001 ? fixed(20 * std::log10(d), 1) : "< 100";
        sum += d * d;
    }
    model.lblFftDistTotal = a1 > 0.0 ? fixed(std::sqrt(sum) * 100, 3) : DistModel::kCleared;
    showPower(totalPower, 1, model.lblFftPwrTotal, model.lblFftPwrTotalUnit);

    overlay_.dblDistVaMin = vsupply_ - transfer(vgrid_ + vsign_) * rload_;
    overlay_.dblDistVaMax = vsupply_ - transfer(vgrid_ - vsign_) * rload_;
}

void DistAnalysis::cmdAnalyze_Click() {
    overlay_.blnError = false;
    publish();
    countCurves();
    bool tooFew = curves_ < 3 || points_ < 5;
    for (const Curve& c : measured_) {
        tooFew = tooFew || c.va.size() < 5;
    }
    if (tooFew) {
        fail("At least 3 curves with each 5 points required");
    }
    if (!overlay_.blnError) {
        buildSurface();
    }
    if (!overlay_.blnError) {
        checkSignalAndLoadLine();
    }
    if (!overlay_.blnError) {
        writeDump();
        buildTransfer();
    }
    if (!overlay_.blnError) {
        showResults();
    }
    if (hooks_.Refresh) {
        hooks_.Refresh();
    }
    if (hooks_.DrawPicture) {
        hooks_.DrawPicture();
    }
    if (hooks_.BringToFront) {
        hooks_.BringToFront();
    }
}

}  // namespace ostrino
