#pragma once
// The calendar dialog ("달력 넣기"): year and month with their spinners, the font
// size, style and face lists, the colour, the calendar text previewed in "굴림체"
// and the hint to place the calendar with the move tool afterwards.
#include <QColor>
#include <QDialog>
#include <functional>

#include "document/CommandRegistry.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace quillory {

struct CalendarDialogStart {
    int year = 2000, month = 1;
    QString face;
    QColor colour = Qt::black;
};

class CDlg_PutCalendar : public QDialog {
    Q_OBJECT
public:
    CDlg_PutCalendar(const CalendarDialogStart& start, QWidget* parent = nullptr);

    // year, month, size, style, face and colour (RRGGBB) for kCalendar.
    CommandParameters Parameters() const;
    QString Face() const;
    QColor Colour() const { return m_colour; }
    // The year and month as typed; unreadable text reads as 0.
    int Year() const;
    int Month() const;

    // Called by OK: the calendar placed. When it refuses (a date out of range, a size
    // too large: the message was shown), the dialog stays open with the entries.
    void SetPlacer(std::function<bool()> place) { m_place = std::move(place); }
    void accept() override;

    // The spinners: +1 or -1.
    void StepYear(int delta);
    void StepMonth(int delta);

    QLineEdit* yearBox() const { return m_year; }
    QLineEdit* monthBox() const { return m_month; }
    QComboBox* sizeBox() const { return m_size; }
    QComboBox* styleBox() const { return m_style; }
    QComboBox* faceBox() const { return m_face; }
    QPlainTextEdit* preview() const { return m_preview; }
    QLabel* hint() const { return m_hint; }

private:
    void UpdatePreview();

    QLineEdit* m_year;
    QLineEdit* m_month;
    QComboBox* m_size;
    QComboBox* m_style;
    QComboBox* m_face;
    QToolButton* m_colourButton;
    QPlainTextEdit* m_preview;
    QLabel* m_hint;
    QColor m_colour;
    std::function<bool()> m_place;
};

}  // namespace quillory
