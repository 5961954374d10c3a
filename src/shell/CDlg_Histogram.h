#pragma once
// The pixel distribution dialog ("픽셀분포조정"): the channel choice ("RGB" checked,
// "R", "G", "B"), the histogram of the chosen channel, "최대도수" and "명암범위" of
// all four tables, and a strip of the levels 0..255 in which the user drags the low
// and high limits. Letting go of the mouse in the strip previews the stretch.
#include <QWidget>

#include "processing/Levels.h"
#include "shell/DialogPreview.h"

class QButtonGroup;
class QLabel;

namespace quillory {

// The bars of one table, scaled to its largest count.
class HistogramView : public QWidget {
    Q_OBJECT
public:
    explicit HistogramView(QWidget* parent = nullptr);
    void SetCounts(const uint32_t counts[256]);
    QSize sizeHint() const override { return QSize(2 * 256 + 2, 130); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    uint32_t m_counts[256] = {};
};

// The levels 0..255 across its width with the low and high markers.
class LevelStrip : public QWidget {
    Q_OBJECT
public:
    explicit LevelStrip(QWidget* parent = nullptr);
    int low() const { return m_low; }
    int high() const { return m_high; }
    void SetLimits(int low, int high);
    // The level under a widget x position, and back.
    int LevelAt(int x) const;
    int XOf(int level) const;
    QSize sizeHint() const override { return QSize(2 * 256 + 12, 46); }

Q_SIGNALS:
    void limitsChosen(int low, int high);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void MoveTo(int x);
    int m_low = 0;
    int m_high = 255;
    enum class Marker { None, Low, High } m_dragging = Marker::None;
};

class CDlg_Histogram : public CAdjustDialog {
    Q_OBJECT
public:
    CDlg_Histogram(const HistogramSet& histograms, QWidget* parent = nullptr);
    // channel= low= high=
    CommandParameters Parameters() const override;
    int channel() const;
    LevelStrip* strip() const { return m_strip; }
    QButtonGroup* channels() const { return m_channels; }
    // "최대도수" and "명암범위" of a table as shown.
    QString LargestText(int table) const;
    QString RangeText(int table) const;

private:
    void ShowChannel();
    HistogramSet m_histograms;
    QButtonGroup* m_channels;
    HistogramView* m_view;
    LevelStrip* m_strip;
    QLabel* m_largest[kHistogramTables];
    QLabel* m_range[kHistogramTables];
};

}  // namespace quillory
