#include "graph/plot_growth.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/graph_messages.h"
#include "fitting/growth_functions.h"
#include "graph/plot_figure.h"

namespace {

const QColor kSelectedRed(220, 0, 0);
const QColor kKindOneBlue(0, 70, 200);
const QColor kGray(128, 128, 128);
const QColor kSilver(192, 192, 192);
const QColor kAqua(0, 255, 255);
const QColor kRejectedRed(210, 0, 0);      // an aliquot failing a rejection criterion
const QColor kWarningOrange(215, 120, 0);  // a result with a warning code
const QColor kFailedGray(110, 110, 110);   // a failed result (its number is no dose)
// The unselected kind-1 curves: a quiet shade that recedes behind the selected level.
const QColor kBackgroundBlue(170, 190, 215);
constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

int LevelClass(std::size_t level) {
    return static_cast<int>(std::min<std::size_t>(level, 251));
}

// A plottable of vertices in data order (marks when `scatter` is set, else a line), listed
// as pickable with its class and tags.
QCPCurve* AddVertices(QCustomPlot& chart, const std::vector<QPointF>& vertices,
                      const std::vector<int32_t>& tags, int itemClass, const QPen& pen,
                      const QCPScatterStyle* scatter, TPickables& pickables) {
    auto* curve = new QCPCurve(chart.xAxis, chart.yAxis);
    QVector<QCPCurveData> data;
    data.reserve(static_cast<int>(vertices.size()));
    double t = 0;
    for (const QPointF& p : vertices) data.append(QCPCurveData(t++, p.x(), p.y()));
    curve->data()->set(data, true);
    curve->setPen(pen);
    if (scatter) {
        curve->setLineStyle(QCPCurve::lsNone);
        curve->setScatterStyle(*scatter);
    }
    curve->setProperty("itemClass", itemClass);
    if (!tags.empty()) pickables.push_back({curve, itemClass, tags, vertices});
    return curve;
}

// Line segments (broken between segments), not pickable.
QCPCurve* AddSegments(QCustomPlot& chart, const std::vector<std::pair<QPointF, QPointF>>& lines,
                      const QPen& pen, int itemClass) {
    std::vector<QPointF> vertices;
    for (const auto& [a, b] : lines) {
        vertices.push_back(a);
        vertices.push_back(b);
        vertices.emplace_back(kGap, kGap);
    }
    TPickables none;
    return AddVertices(chart, vertices, {}, itemClass, pen, nullptr, none);
}

void SetRanges(QCustomPlot& chart, double xMin, double xMax, double yMin, double yMax) {
    if (!(xMax > xMin)) xMax = xMin + 1;
    if (!(yMax > yMin)) yMax = yMin + 1;
    chart.xAxis->setRange(xMin, xMax);
    chart.yAxis->setRange(yMin, yMax);
    chart.xAxis2->setRange(chart.xAxis->range());
    chart.yAxis2->setRange(chart.yAxis->range());
}

void ClearChart(QCustomPlot& chart, TPickables& pickables) {
    chart.clearPlottables();
    chart.clearItems();
    pickables.clear();
}

void AddAxisLines(QCustomPlot& chart) {
    const QPen pen(Qt::black, 1);
    auto* horizontal = new QCPItemStraightLine(&chart);
    horizontal->point1->setCoords(0, 0);
    horizontal->point2->setCoords(1, 0);
    horizontal->setPen(pen);
    horizontal->setSelectable(false);
    horizontal->setProperty("itemClass", kAxisLineClass);
    auto* vertical = new QCPItemStraightLine(&chart);
    vertical->point1->setCoords(0, 0);
    vertical->point2->setCoords(0, 1);
    vertical->setPen(pen);
    vertical->setSelectable(false);
    vertical->setProperty("itemClass", kAxisLineClass);
}

// The y scale spans at least 10.
void KeepMinimumYRange(double& yMin, double& yMax) {
    if (yMax - yMin < 10) yMax = yMin + 10;
}

// Result codes of an evaluation after which no dose mark is drawn.
bool SuppressesMarks(ResultCode code) {
    return (code <= -1 && code >= -10) || code == -16 || code == -17 || code == -21 ||
           code == -22 || code == -23;
}

struct TEvaluated {
    double value = 0, error = 0;
    ResultCode code = 0;
};

TEvaluated Evaluate(FunctionCode code, int n, const double* params, const double* cov,
                    bool withError, double x) {
    TEvaluated e;
    std::string note;
    double s2 = 0;
    e.value = EvaluateFit(code, n, params, withError, note, e.code, x, e.error, s2, cov);
    return e;
}

bool IsTwoCurveMethod(int method) {
    return method == dmPartialBleach || method == dmSlide || method == dmCeramic ||
           method == dmAlphaEfficiency;
}

// Methods whose equivalent dose is read off the negative dose axis.
bool ReadsNegativeAxis(int method) {
    return method == dmAdditive || method == dmTotalBleach || method == dmPartialBleach ||
           method == dmSlide || method == dmCeramic || method == dmSingleAliquot;
}

}  // namespace

TPick NearestPick(const QCustomPlot& chart, const TPickables& items, const QPointF& pixel,
                  int classLimit, double radius) {
    TPick best;
    double bestDistance = radius;
    for (const TPickable& item : items) {
        if (item.itemClass >= classLimit) continue;
        for (std::size_t i = 0; i < item.vertices.size() && i < item.tags.size(); ++i) {
            const QPointF& v = item.vertices[i];
            if (!std::isfinite(v.x()) || !std::isfinite(v.y())) continue;
            const double px = chart.xAxis->coordToPixel(v.x());
            const double py = chart.yAxis->coordToPixel(v.y());
            const double d = std::hypot(px - pixel.x(), py - pixel.y());
            if (d <= bestDistance) {
                bestDistance = d;
                best.item = &item;
                best.vertex = static_cast<int>(i);
                best.tag = item.tags[i];
                best.itemClass = item.itemClass;
            }
        }
    }
    return best;
}

TViewRanges RangesFromPoints(const TGrowthPoints& points) {
    TViewRanges r;
    for (const TDosePoints& level : points) {
        r.xMin = std::min(r.xMin, level.Dose);
        r.xMax = std::max(r.xMax, level.Dose);
        for (const TGrowthPoint& p : level.Points) {
            r.yMin = std::min(r.yMin, p.Signal);
            r.yMax = std::max(r.yMax, p.Signal);
        }
    }
    return r;
}

namespace {

// The last curve index drawn and read for a measurement: LastChannel within the curve.
int LastIndex(const TLookupRecord& record) {
    return std::min<int>(record.LastChannel, static_cast<int>(record.Curve.size()) - 1);
}

bool IsOsl(const TLookupRecord& record) {
    return record.Key.Device != 0;
}

}  // namespace

TViewRanges RangesFromCurves(const TGrowthPoints& points, const TLookupTable& table) {
    TViewRanges r;
    for (const TDosePoints& level : points) {
        for (const TGrowthPoint& p : level.Points) {
            if (p.Ordinal < 0 || p.Ordinal >= static_cast<int32_t>(table.size())) continue;
            const TLookupRecord& record = table[static_cast<std::size_t>(p.Ordinal)];
            const int last = LastIndex(record);
            const bool osl = IsOsl(record);
            const double spacing = record.Key.Spacing > 0 ? record.Key.Spacing : 1;
            r.xMax = std::max(r.xMax, osl ? last : (last + 1) * spacing);
            for (int k = osl ? 1 : 3; k <= last; ++k) r.yMax = std::max(r.yMax, record.Curve[k]);
        }
    }
    return r;
}

double DataDistance(const QCustomPlot& chart, bool xAxis, double pixels) {
    const QCPAxis* axis = xAxis ? chart.xAxis : chart.yAxis;
    const QRect rect = chart.axisRect()->rect();
    int size = xAxis ? rect.width() : rect.height();
    // Before the first layout the rectangle is empty: take most of the widget.
    if (size <= 0) size = static_cast<int>((xAxis ? chart.width() : chart.height()) * 0.8);
    if (size <= 0) size = 300;
    return axis->range().size() / size * pixels;
}

void DrawGrowthPoints(QCustomPlot& chart, const TGrowthPoints& points, const TViewRanges& ranges,
                      bool rescale, TPickables& pickables) {
    ClearChart(chart, pickables);
    for (std::size_t a = 0; a < points.size(); ++a) {
        const TDosePoints& level = points[a];
        const QColor colour = level.Selected               ? kSelectedRed
                              : level.Kind == kGrowthLevel ? kKindOneBlue
                                                           : QColor(Qt::black);
        // Kind 1: filled and open circles; kinds 2 to 4: filled and open squares; other
        // kinds one mark, a triangle.
        QCPScatterStyle::ScatterShape acceptedShape = QCPScatterStyle::ssDisc;
        QCPScatterStyle::ScatterShape rejectedShape = QCPScatterStyle::ssCircle;
        if (level.Kind >= 2 && level.Kind <= 4) {
            acceptedShape = QCPScatterStyle::ssSquare;
            rejectedShape = QCPScatterStyle::ssSquare;
        } else if (level.Kind != kGrowthLevel) {
            acceptedShape = rejectedShape = QCPScatterStyle::ssTriangle;
        }
        for (bool accepted : {true, false}) {
            std::vector<QPointF> vertices;
            std::vector<int32_t> tags;
            for (std::size_t i = 0; i < level.Points.size(); ++i) {
                const TGrowthPoint& p = level.Points[i];
                if ((p.Accepted != 0) != accepted) continue;
                vertices.emplace_back(level.Dose, p.Signal);
                tags.push_back(GrowthPointTag(static_cast<int>(a), static_cast<int>(i)));
            }
            if (vertices.empty()) continue;
            QCPScatterStyle style(accepted ? acceptedShape : rejectedShape, colour, 8);
            if (level.Kind >= 2 && level.Kind <= 4 && accepted) style.setBrush(colour);
            if (!accepted) style.setBrush(Qt::white);
            QCPCurve* marks =
                AddVertices(chart, vertices, tags, LevelClass(a), QPen(colour), &style, pickables);
            marks->setName(accepted ? QStringLiteral("accepted") : QStringLiteral("not accepted"));
            marks->setProperty("levelKind", static_cast<int>(level.Kind));
            marks->setProperty("accepted", accepted);
        }
    }
    AddAxisLines(chart);
    if (!rescale) return;
    double xMin = ranges.xMin <= 0 ? 1.05 * ranges.xMin : 0.0;
    double xMax = 1.05 * ranges.xMax;
    double yMin = ranges.yMin <= 0 ? 1.05 * ranges.yMin : 0.0;
    double yMax = 1.05 * ranges.yMax;
    KeepMinimumYRange(yMin, yMax);
    SetRanges(chart, xMin, xMax, yMin, yMax);
    const double dx = 0.6 * DataDistance(chart, true, 10);
    const double dy = 0.6 * DataDistance(chart, false, 10);
    SetRanges(chart, xMin - dx, xMax + dx, yMin, yMax + dy);
}

void DrawGrowthPointErrors(QCustomPlot& chart, const TGrowthPoints& points) {
    for (const TDosePoints& level : points) {
        std::vector<std::pair<QPointF, QPointF>> bars;
        for (const TGrowthPoint& p : level.Points) {
            if (!(p.Error > 0) || !std::isfinite(p.Error)) continue;
            bars.push_back({{level.Dose, p.Signal - p.Error}, {level.Dose, p.Signal + p.Error}});
        }
        if (bars.empty()) continue;
        const QColor colour = level.Selected               ? kSelectedRed
                              : level.Kind == kGrowthLevel ? kKindOneBlue
                                                           : QColor(Qt::black);
        AddSegments(chart, bars, QPen(colour, 1), kPointErrorClass);
    }
}

void AddResultText(QCustomPlot& chart, const QString& text) {
    if (text.isEmpty()) return;
    auto* label = new QCPItemText(&chart);
    label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->position->setType(QCPItemPosition::ptAxisRectRatio);
    label->position->setCoords(0.02, 0.03);
    label->setText(text);
    label->setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    label->setPadding(QMargins(4, 2, 4, 2));
    label->setBrush(QColor(255, 255, 255, 220));
    label->setPen(QPen(QColor(160, 160, 160)));
}

void DrawViewCurves(QCustomPlot& chart, const TGrowthPoints& points, const TLookupTable& table,
                    const TViewRanges& ranges, bool rescale, TPickables& pickables,
                    QString* warnings) {
    ClearChart(chart, pickables);
    bool spacingZero = false;
    for (std::size_t a = 0; a < points.size(); ++a) {
        const TDosePoints& level = points[a];
        const bool kindOne = level.Kind == kGrowthLevel;
        const QColor colour = kindOne ? (level.Selected ? kKindOneBlue : kBackgroundBlue)
                                      : (level.Selected ? QColor(Qt::black) : kGray);
        for (std::size_t i = 0; i < level.Points.size(); ++i) {
            const TGrowthPoint& p = level.Points[i];
            if (p.Ordinal < 0 || p.Ordinal >= static_cast<int32_t>(table.size())) continue;
            const TLookupRecord& record = table[static_cast<std::size_t>(p.Ordinal)];
            const int last = LastIndex(record);
            std::vector<QPointF> vertices;
            if (IsOsl(record)) {
                for (int k = 1; k <= last; ++k) vertices.emplace_back(k, record.Curve[k]);
            } else {
                int spacing = record.Key.Spacing;
                if (spacing <= 0) {
                    spacingZero = true;
                    spacing = 1;
                }
                vertices.emplace_back(0, 0);
                for (int k = 0; k <= last; ++k)
                    vertices.emplace_back(static_cast<double>(k + 1) * spacing, record.Curve[k]);
            }
            const std::vector<int32_t> tags(
                vertices.size(), GrowthPointTag(static_cast<int>(a), static_cast<int>(i)));
            QPen pen(colour, level.Selected ? 1.5 : 1);
            if (!p.Accepted) pen.setStyle(Qt::DotLine);
            AddVertices(chart, vertices, tags, LevelClass(a), pen, nullptr, pickables);
        }
    }
    AddAxisLines(chart);
    if (warnings) {
        *warnings = spacingZero ? QStringLiteral(
                                      "\"Spacing\" is 0: TL curves are drawn against "
                                      "their point number.")
                                : QString();
    }
    if (!rescale) return;
    const double xMin = ranges.xMin <= 0 ? ranges.xMin : 0.0;
    const double xMax = std::ceil(ranges.xMax / 100.0) * 100.0;
    double yMin = ranges.yMin < 0 ? 1.05 * ranges.yMin : 0.0;
    double yMax = 1.05 * ranges.yMax;
    KeepMinimumYRange(yMin, yMax);
    SetRanges(chart, xMin, xMax > xMin ? xMax : xMin + 100, yMin, yMax);
}

void ClearFittedCurve(QCustomPlot& chart, TPickables& pickables) {
    for (int i = chart.plottableCount() - 1; i >= 0; --i) {
        QCPAbstractPlottable* p = chart.plottable(i);
        if (p->property("itemClass").toInt() == kFitItemClass) {
            std::erase_if(pickables, [p](const TPickable& k) { return k.plottable == p; });
            chart.removePlottable(p);
        }
    }
    for (int i = chart.itemCount() - 1; i >= 0; --i) {
        QCPAbstractItem* item = chart.item(i);
        if (item->property("itemClass").toInt() == kFitItemClass) chart.removeItem(item);
    }
}

void DrawFittedCurve(QCustomPlot& chart, const TFitRecord& fit, bool isFit,
                     const TGrowthPoints& points, int32_t currentIndex, bool rescale,
                     TPickables& pickables) {
    ClearFittedCurve(chart, pickables);
    if (fit.Channel != currentIndex) return;
    const int method = fit.Method;
    const double D = fit.ED, s = fit.EDError;
    const bool ok = fit.ResultCode == 0;

    // 1. The x range covers the equivalent dose with its error.
    if (rescale && ok && (ReadsNegativeAxis(method) || method == dmRegenerative)) {
        const TViewRanges r = RangesFromPoints(points);
        double low = r.xMin, high = r.xMax;
        if (ReadsNegativeAxis(method)) {
            low = std::min(low, -D - s);
            high = std::max(high, s - D);
        } else {
            low = std::min(low, D - s);
            high = std::max(high, D + s);
        }
        QCPRange range = chart.xAxis->range();
        const double margin = DataDistance(chart, true, 10);
        if (low < range.lower) range.lower = low - margin;
        if (high > range.upper) range.upper = high + margin;
        chart.xAxis->setRange(range);
        chart.xAxis2->setRange(range);
    }

    // 2. and 3. The curves at 31 doses over the chart's x range.
    const bool firstFunction = method != dmRegenerative;
    const FunctionCode code = firstFunction ? fit.Code1 : fit.Code2;
    const int n = firstFunction ? fit.NParams1 : fit.NParams2;
    const double* params = firstFunction ? fit.Params1 : fit.Params2;
    const double* cov = firstFunction ? fit.Cov1 : fit.Cov2;
    const double scale = fit.NParams2 >= 0 && fit.NParams2 < TFitRecord::kMaxParams
                             ? fit.Params2[fit.NParams2]
                             : 1.0;
    const double level9 = !points.empty() && !points.front().Points.empty()
                              ? points.front().Points.front().Signal
                              : 1.0;
    const bool secondCurve = IsTwoCurveMethod(method);
    const bool secondShifted = method == dmSlide || (method == dmCeramic && fit.Code1 > 15);
    const QCPRange xr = chart.xAxis->range();
    std::vector<QPointF> first, firstUp, firstDown, second, secondUp, secondDown;
    for (int k = 0; k <= 30; ++k) {
        const double x = xr.lower + (xr.upper - xr.lower) * k / 30.0;
        TEvaluated e = Evaluate(code, n, params, cov, isFit, x);
        if (method == dmDecayCorrection) {
            e.value *= level9;
            e.error *= level9;
        }
        first.emplace_back(x, e.value);
        firstUp.emplace_back(x, e.value + e.error);
        firstDown.emplace_back(x, e.value - e.error);
        if (secondCurve) {
            if (secondShifted) {
                const TEvaluated f =
                    Evaluate(fit.Code2, fit.NParams2, fit.Params2, fit.Cov2, false, x - D);
                second.emplace_back(x, scale != 0 ? f.value / scale : kGap);
            } else {
                const TEvaluated f =
                    Evaluate(fit.Code2, fit.NParams2, fit.Params2, fit.Cov2, isFit, x);
                second.emplace_back(x, f.value);
                secondUp.emplace_back(x, f.value + f.error);
                secondDown.emplace_back(x, f.value - f.error);
            }
        }
    }
    // 4. Drawing: class 253.
    const QPen band(kGray, 1, Qt::DotLine);
    const std::vector<int32_t> noTags;
    TPickables none;
    QCPCurve* fitted =
        AddVertices(chart, first, noTags, kFitItemClass,
                    QPen(secondCurve ? kKindOneBlue : QColor(Qt::black), 1.5), nullptr, none);
    fitted->setName(isFit ? QStringLiteral("fitted curve") : QStringLiteral("fitted line"));
    fitted->setProperty("figureRole", QStringLiteral("fittedCurve"));
    if (isFit) {
        QCPCurve* upper = AddVertices(chart, firstUp, noTags, kFitItemClass, band, nullptr, none);
        upper->setName(QStringLiteral("\u00b11\u03c3 of the curve"));
        upper->setProperty("figureRole", QStringLiteral("errorBand"));
        AddVertices(chart, firstDown, noTags, kFitItemClass, band, nullptr, none);
    }
    if (secondCurve) {
        QCPCurve* other =
            AddVertices(chart, second, noTags, kFitItemClass, QPen(Qt::black, 1.5), nullptr, none);
        other->setName(QStringLiteral("second curve"));
        other->setProperty("figureRole", QStringLiteral("secondCurve"));
        if (isFit && !secondShifted) {
            AddVertices(chart, secondUp, noTags, kFitItemClass, band, nullptr, none);
            AddVertices(chart, secondDown, noTags, kFitItemClass, band, nullptr, none);
        }
    }

    // Equivalent-dose marks.
    if (!ok) return;
    double p = 0;
    TEvaluated v;
    if (ReadsNegativeAxis(method)) {
        p = -D;
        v = Evaluate(fit.Code1, fit.NParams1, fit.Params1, fit.Cov1, false, p);
    } else if (method == dmRegenerative) {
        p = D;
        v = Evaluate(fit.Code2, fit.NParams2, fit.Params2, fit.Cov2, false, p);
    } else {
        return;
    }
    if (SuppressesMarks(v.code)) return;
    const double t = 0.1 * chart.yAxis->range().size();
    const QPen markPen(kGray, 1);
    const QPen barPen(kGray, 2);
    const auto slideMarks = [&] {
        std::vector<QPointF> shifted;
        for (const TDosePoints& level : points) {
            if (level.Kind != 3 && level.Kind != 4) continue;
            for (const TGrowthPoint& g : level.Points)
                if (g.Accepted) shifted.emplace_back(level.Dose - D, g.Signal * scale);
        }
        if (shifted.empty()) return;
        const QCPScatterStyle style(QCPScatterStyle::ssDiamond, kGray, 7);
        AddVertices(chart, shifted, noTags, kFitItemClass, QPen(kGray), &style, none);
    };
    if (method == dmCeramic && fit.Code1 == 1) {
        const double a1 = fit.Params1[1] != 0 ? -fit.Params1[0] / fit.Params1[1] : 0;
        const double a2 = fit.Params2[1] != 0 ? -fit.Params2[0] / fit.Params2[1] : 0;
        AddVertices(chart, {{a1, 0}, {a1, t}, {a2, t}, {a2, 0}}, noTags, kFitItemClass, markPen,
                    nullptr, none);
        AddSegments(chart, {{{a1, t}, {p, t}}, {{p, t}, {p, 2 * t}}}, markPen, kFitItemClass);
        QCPCurve* dose =
            AddSegments(chart, {{{p - s, 2 * t}, {p + s, 2 * t}}}, barPen, kFitItemClass);
        dose->setName(QStringLiteral("De \u00b1 error"));
        dose->setProperty("figureRole", QStringLiteral("doseMark"));
        return;
    }
    if (method == dmCeramic && points.empty()) return;
    if (method == dmSlide || method == dmCeramic) slideMarks();
    const double height = std::max(v.value, 0.0);
    const double end = height > 2 * t ? height - t : height + t;
    AddSegments(chart, {{{0, height}, {p, height}}, {{p, height}, {p, end}}}, markPen,
                kFitItemClass);
    QCPCurve* dose = AddSegments(chart, {{{p - s, end}, {p + s, end}}}, barPen, kFitItemClass);
    dose->setName(QStringLiteral("De \u00b1 error"));
    dose->setProperty("figureRole", QStringLiteral("doseMark"));
}

TViewRanges RangesFromPlateau(const TPlateauArray& plateau) {
    // The valid results with their errors decide; failed and warning results may lie far off
    // (a dose of -40 +- 7240 Gy) and are marked at the edge instead. Without any valid
    // result every result with a number decides.
    const auto valid = [](const TPlateauElement& e) {
        return e.State == kPlateauValid || e.State == kPlateauRoi;
    };
    const bool anyValid = std::any_of(plateau.begin(), plateau.end(), valid);
    TViewRanges r;
    bool firstX = true, firstY = true;
    for (const TPlateauElement& e : plateau) {
        if (firstX) {
            r.xMin = r.xMax = e.X;
            firstX = false;
        }
        r.xMin = std::min(r.xMin, e.X);
        r.xMax = std::max(r.xMax, e.X);
        if (anyValid ? !valid(e) : e.State == kPlateauNoResult) continue;
        if (!std::isfinite(e.Value) || !std::isfinite(e.Error)) continue;
        if (firstY) {
            r.yMin = e.Value - e.Error;
            r.yMax = e.Value + e.Error;
            firstY = false;
        }
        r.yMin = std::min(r.yMin, e.Value - e.Error);
        r.yMax = std::max(r.yMax, e.Value + e.Error);
    }
    r.yMin = std::min(r.yMin, 0.0);
    return r;
}

namespace {

// Grains of single-grain discs are named on the axis by disk and hole ("1:37"), at most about
// a dozen of them so that the labels stay apart; other results keep the plain number ticks.
void LabelGrainTicks(QCustomPlot& chart, const TPlateauArray& plateau, uint8_t dataKind) {
    const auto grains = std::count_if(plateau.begin(), plateau.end(),
                                      [](const TPlateauElement& e) { return e.IsGrain(); });
    if (grains == 0) {
        // Channels and disks are counted: whole-number ticks.
        if (dataKind == gkChannel || dataKind == gkDisk) {
            SetWholeNumberTicks(chart.xAxis);
        } else {
            chart.xAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
            chart.xAxis->setNumberFormat(QStringLiteral("gbd"));
            chart.xAxis->setNumberPrecision(6);
        }
        chart.xAxis->ticker()->setTickCount(6);
        return;
    }
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    const long step = std::max<long>(1, (grains + 11) / 12);
    long n = 0;
    for (const TPlateauElement& e : plateau) {
        if (!e.IsGrain() || n++ % step != 0) continue;
        ticker->addTick(e.X, QStringLiteral("%1:%2").arg(e.GrainDisk).arg(e.GrainHole));
    }
    chart.xAxis->setTicker(ticker);
}

// A result outside the y range is marked at the edge it lies beyond: a triangle pointing up
// at the top, down at the bottom, in the result's colour. The marks follow every change of
// the range (zoom, pan, rescale).
constexpr const char* kEdgeMarkClass = "edgeMark";

void AddEdgeMark(QCustomPlot& chart, double x, double value, const QColor& colour) {
    if (!std::isfinite(x) || !std::isfinite(value)) return;
    auto* mark = new QCPItemText(&chart);
    mark->setProperty("itemClass", kAxisLineClass);
    mark->setProperty(kEdgeMarkClass, value);  // also tells the legend's placing what it is
    mark->setSelectable(false);
    mark->setClipToAxisRect(true);
    mark->position->setTypeX(QCPItemPosition::ptPlotCoords);
    mark->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    mark->position->setCoords(x, 0);
    mark->setColor(colour);
    mark->setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    mark->setPadding(QMargins(0, 0, 0, 0));
    mark->setVisible(false);
}

void UpdateEdgeMarks(QCustomPlot& chart) {
    const QCPRange range = chart.yAxis->range();
    for (int i = 0; i < chart.itemCount(); ++i) {
        auto* mark = qobject_cast<QCPItemText*>(chart.item(i));
        if (!mark) continue;
        const QVariant value = mark->property(kEdgeMarkClass);
        if (!value.isValid()) continue;
        const double v = value.toDouble();
        const bool above = v > range.upper, below = v < range.lower;
        mark->setVisible(above || below);
        if (above) {
            mark->setText(QStringLiteral("\u25b2"));
            mark->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
            mark->position->setCoords(mark->position->coords().x(), 0);
        } else if (below) {
            mark->setText(QStringLiteral("\u25bc"));
            mark->setPositionAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            mark->position->setCoords(mark->position->coords().x(), 1);
        }
    }
}

}  // namespace

void ConnectEdgeMarks(QCustomPlot& chart) {
    if (chart.property("edgeMarksConnected").toBool()) return;
    chart.setProperty("edgeMarksConnected", true);
    QObject::connect(chart.yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), &chart,
                     [&chart] { UpdateEdgeMarks(chart); });
}

void DrawPlateau(QCustomPlot& chart, const TPlateauArray& plateau, uint8_t dataKind,
                 bool markSelected, int32_t selectedIndex, bool rescale, TPickables& pickables,
                 int selectedRow) {
    ClearChart(chart, pickables);
    ConnectEdgeMarks(chart);
    // A ROI result shares its index with a channel or step: the row picked decides.
    const bool byRow = selectedRow >= 0 && selectedRow < static_cast<int>(plateau.size()) &&
                       plateau[static_cast<std::size_t>(selectedRow)].Index == selectedIndex;
    for (std::size_t row = 0; row < plateau.size(); ++row) {
        const TPlateauElement& e = plateau[row];
        const bool selected = markSelected && (byRow ? static_cast<int>(row) == selectedRow
                                                     : e.Index == selectedIndex);
        QColor colour = kSilver;
        QCPScatterStyle::ScatterShape shape = QCPScatterStyle::ssCross;
        bool open = false;
        int itemClass = 0;
        QString kind;
        switch (e.State) {
            case kPlateauValid:
                colour = selected ? kKindOneBlue : QColor(Qt::black);
                shape = QCPScatterStyle::ssDisc;
                kind = QStringLiteral("valid");
                break;
            case kPlateauWarning:
                // Open diamonds: a number, but not one to trust.
                colour = selected ? kAqua : kWarningOrange;
                shape = QCPScatterStyle::ssDiamond;
                open = true;
                kind = QStringLiteral("warning");
                break;
            case kPlateauRoi:
                colour = selected ? kAqua : kGray;
                shape = QCPScatterStyle::ssSquare;
                itemClass = kRoiResultClass;
                kind = QStringLiteral("ROI");
                break;
            case kPlateauFailed:  // never the selected colour
                colour = kFailedGray;
                kind = QStringLiteral("failed");
                break;
            default:  // no result
                break;
        }
        // An aliquot failing a rejection criterion keeps its dose, drawn as a red triangle.
        if (e.Rejected && (e.State == kPlateauValid || e.State == kPlateauWarning)) {
            if (!selected) colour = kRejectedRed;
            shape = QCPScatterStyle::ssTriangle;
            open = false;
            kind = QStringLiteral("rejected");
        }
        // The error of a result with a warning is no error to trust: dashed.
        AddSegments(chart, {{{e.X, e.Value - e.Error}, {e.X, e.Value + e.Error}}},
                    QPen(colour, 1, e.State == kPlateauWarning ? Qt::DashLine : Qt::SolidLine),
                    kFitItemClass);
        if (e.State == kPlateauRoi) {
            AddSegments(chart, {{{e.X - e.XSpread, e.Value}, {e.X + e.XSpread, e.Value}}},
                        QPen(colour, 1), kFitItemClass);
        }
        QCPScatterStyle style(shape, colour, 7);
        if (shape == QCPScatterStyle::ssSquare) style.setBrush(colour);
        if (open) style.setBrush(Qt::white);
        QCPCurve* mark = AddVertices(chart, {{e.X, e.Value}}, {e.Index}, itemClass, QPen(colour),
                                     &style, pickables);
        if (!kind.isEmpty()) mark->setProperty("resultKind", kind);
        if (e.State != kPlateauNoResult) AddEdgeMark(chart, e.X, e.Value, colour);
    }
    LabelGrainTicks(chart, plateau, dataKind);
    if (!rescale) {
        UpdateEdgeMarks(chart);
        return;
    }
    const TViewRanges r = RangesFromPlateau(plateau);
    double xMin = r.xMin, xMax = r.xMax;
    if (dataKind == gkTemperature) {
        xMin = std::floor(r.xMin / 100.0) * 100.0;
        xMax = std::ceil(r.xMax / 100.0) * 100.0;
    } else if (dataKind == gkChannel || dataKind == gkDisk) {
        xMin = std::max(r.xMin - 0.5, 0.0);
        xMax = r.xMax + 0.5;
    }
    const double yMin = r.yMin < 0 ? 1.05 * r.yMin : 0.0;
    const double yMax = 1.05 * r.yMax;
    SetRanges(chart, xMin, xMax, yMin, yMax);
    const double dx = 0.6 * DataDistance(chart, true, 10);
    SetRanges(chart, xMin - dx, xMax + dx, yMin, yMax);
    UpdateEdgeMarks(chart);
    // The legend explains the edge marks of the axes as drawn first.
    bool beyond = false;
    for (int i = 0; i < chart.itemCount() && !beyond; ++i)
        beyond = chart.item(i)->property(kEdgeMarkClass).isValid() && chart.item(i)->visible();
    if (beyond) {
        const QCPScatterStyle style(QCPScatterStyle::ssTriangle, kGray, 7);
        TPickables none;
        QCPCurve* key = AddVertices(chart, {}, {}, kAxisLineClass, QPen(kGray), &style, none);
        key->setProperty("resultKind", QStringLiteral("beyond the axis"));
    }
}
