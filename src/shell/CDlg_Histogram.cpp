#include "shell/CDlg_Histogram.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

#include "processing/AdjustTexts.h"

namespace quillory {

namespace {

constexpr int kStripHeight = 18;
constexpr int kMarkerHeight = 10;
constexpr int kMargin = 6;  // room for half a marker at either end

const char* const kTableNames[kHistogramTables] = {texts::kRadioAll, texts::kRadioRed, texts::kRadioGreen,
                                                     texts::kRadioBlue};

QColor TableColour(int table) {
    switch (table) {
        case kRedTable: return QColor(200, 40, 40);
        case kGreenTable: return QColor(40, 150, 40);
        case kBlueTable: return QColor(40, 60, 200);
        default: return QColor(60, 60, 60);
    }
}

}  // namespace

HistogramView::HistogramView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(2 * 256 + 2, 100);
}

void HistogramView::SetCounts(const uint32_t counts[256]) {
    std::memcpy(m_counts, counts, sizeof m_counts);
    update();
}

void HistogramView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(160, 160, 160));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const uint32_t largest = *std::max_element(std::begin(m_counts), std::end(m_counts));
    if (largest == 0) return;
    const int w = width() - 2 * kMargin, h = height() - 2 * kMargin;
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::WindowText));
    for (int level = 0; level < 256; ++level) {
        const int left = kMargin + level * w / 256, right = kMargin + (level + 1) * w / 256;
        const int bar = int(int64_t(m_counts[level]) * h / largest);
        if (bar > 0) painter.drawRect(left, kMargin + h - bar, std::max(1, right - left), bar);
    }
}

LevelStrip::LevelStrip(QWidget* parent) : QWidget(parent) {
    setMinimumSize(2 * 256 + 2 * kMargin, kStripHeight + kMarkerHeight + 18);
    setCursor(Qt::PointingHandCursor);
}

void LevelStrip::SetLimits(int low, int high) {
    m_low = std::clamp(low, 0, 254);
    m_high = std::clamp(high, m_low + 1, 255);
    update();
}

int LevelStrip::LevelAt(int x) const {
    const int w = std::max(1, width() - 2 * kMargin);
    return std::clamp((x - kMargin) * 256 / w, 0, 255);
}

int LevelStrip::XOf(int level) const {
    const int w = width() - 2 * kMargin;
    return kMargin + level * w / 256 + w / 512;
}

void LevelStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect strip(kMargin, 0, width() - 2 * kMargin, kStripHeight);
    QLinearGradient ramp(strip.topLeft(), strip.topRight());
    ramp.setColorAt(0, Qt::black);
    ramp.setColorAt(1, Qt::white);
    painter.fillRect(strip, ramp);
    // Outside the limits the levels become black and white.
    painter.fillRect(QRect(strip.left(), 0, XOf(m_low) - strip.left(), kStripHeight), QColor(0, 0, 0, 150));
    painter.fillRect(QRect(XOf(m_high), 0, strip.right() - XOf(m_high), kStripHeight), QColor(255, 255, 255, 150));
    painter.setPen(QColor(120, 120, 120));
    painter.drawRect(strip.adjusted(0, 0, -1, -1));
    auto marker = [&](int level, const QColor& fill) {
        const int x = XOf(level);
        const QPoint tip[3] = {QPoint(x, kStripHeight), QPoint(x - 5, kStripHeight + kMarkerHeight),
                               QPoint(x + 5, kStripHeight + kMarkerHeight)};
        painter.setPen(Qt::black);
        painter.setBrush(fill);
        painter.drawPolygon(tip, 3);
    };
    marker(m_low, Qt::black);
    marker(m_high, Qt::white);
    // The scale: 0, 127 and 255 under their levels.
    painter.setPen(palette().color(QPalette::WindowText));
    const int textTop = kStripHeight + kMarkerHeight + 2, textHeight = height() - textTop;
    painter.drawText(QRect(0, textTop, 40, textHeight), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("0"));
    painter.drawText(QRect(XOf(127) - 20, textTop, 40, textHeight), Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("127"));
    painter.drawText(QRect(width() - 40, textTop, 40, textHeight), Qt::AlignRight | Qt::AlignTop, QStringLiteral("255"));
}

void LevelStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int level = LevelAt(event->position().toPoint().x());
    // The nearer marker follows the mouse.
    m_dragging = std::abs(level - m_low) <= std::abs(level - m_high) ? Marker::Low : Marker::High;
    MoveTo(event->position().toPoint().x());
}

void LevelStrip::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging != Marker::None) MoveTo(event->position().toPoint().x());
}

void LevelStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging == Marker::None || event->button() != Qt::LeftButton) return;
    MoveTo(event->position().toPoint().x());
    m_dragging = Marker::None;
    if (rect().contains(event->position().toPoint())) Q_EMIT limitsChosen(m_low, m_high);
}

void LevelStrip::MoveTo(int x) {
    const int level = LevelAt(x);
    // The limits keep at least one level between them.
    if (m_dragging == Marker::Low) m_low = std::clamp(level, 0, m_high - 1);
    if (m_dragging == Marker::High) m_high = std::clamp(level, m_low + 1, 255);
    update();
}

CDlg_Histogram::CDlg_Histogram(const HistogramSet& histograms, QWidget* parent)
    : CAdjustDialog(parent), m_histograms(histograms) {
    setObjectName("CDlg_Histogram");
    setWindowTitle(QString::fromUtf8(texts::kMenuLevels));
    auto* layout = new QVBoxLayout(this);

    auto* choices = new QHBoxLayout;
    m_channels = new QButtonGroup(this);
    for (int c = 0; c < kHistogramTables; ++c) {
        auto* radio = new QRadioButton(QString::fromUtf8(kTableNames[c]), this);
        m_channels->addButton(radio, c);
        choices->addWidget(radio);
    }
    m_channels->button(kLevelsAll)->setChecked(true);
    choices->addStretch();
    layout->addLayout(choices);

    m_view = new HistogramView(this);
    layout->addWidget(m_view);
    m_strip = new LevelStrip(this);
    layout->addWidget(m_strip);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromUtf8(texts::kLabelLargestCount), this), 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8(texts::kLabelLevelRange), this), 0, 2);
    for (int t = 0; t < kHistogramTables; ++t) {
        auto* name = new QLabel(QString::fromUtf8(kTableNames[t]), this);
        QPalette colours = name->palette();
        colours.setColor(QPalette::WindowText, TableColour(t));
        name->setPalette(colours);
        m_largest[t] = new QLabel(LargestText(t), this);
        m_range[t] = new QLabel(RangeText(t), this);
        grid->addWidget(name, t + 1, 0);
        grid->addWidget(m_largest[t], t + 1, 1);
        grid->addWidget(m_range[t], t + 1, 2);
    }
    layout->addLayout(grid);
    AddOkCancel(*this, layout);

    connect(m_channels, &QButtonGroup::idClicked, this, [this] {
        ShowChannel();
        RequestPreview();
    });
    connect(m_strip, &LevelStrip::limitsChosen, this, [this] { RequestPreview(); });
    ShowChannel();
}

QString CDlg_Histogram::LargestText(int table) const {
    return QString::number(Summarise(m_histograms, table).largest);
}

QString CDlg_Histogram::RangeText(int table) const {
    const HistogramSummary s = Summarise(m_histograms, table);
    return QString::asprintf(texts::kLevelRangeFormat, std::max(0, s.lowest), std::max(0, s.highest));
}

int CDlg_Histogram::channel() const { return std::max(0, m_channels->checkedId()); }

void CDlg_Histogram::ShowChannel() {
    const int table = channel();
    m_view->SetCounts(m_histograms.counts[table]);
    QPalette colours = m_view->palette();
    colours.setColor(QPalette::WindowText, TableColour(table));
    m_view->setPalette(colours);
}

CommandParameters CDlg_Histogram::Parameters() const {
    CommandParameters p;
    p.Set("channel", std::to_string(channel()));
    p.Set("low", std::to_string(m_strip->low()));
    p.Set("high", std::to_string(m_strip->high()));
    return p;
}

}  // namespace quillory
