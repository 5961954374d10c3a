#pragma once
// The text dialog ("글자입력"): the text, its size (the font height is twice the
// size), face, style, strike-out, underline and colour, with a preview in the
// chosen font. Its choices are the text font of the environment, which the text
// tools draw with.
#include <QColor>
#include <QDialog>

#include "extras/TextLayer.h"
#include "shell/EnvSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace quillory {

struct TextDialogResult {
    QString text;
    int size = 10;  // the font height is twice the size
    QString face;
    QString style = "Regular";
    bool strikeOut = false;
    bool underline = false;
    QColor colour = Qt::black;
};

// The environment's text font as a look, and back.
TextLook LookFromEnvironment(const EnvSettings& env);
void StoreLookInEnvironment(EnvSettings& env, const TextLook& look);
TextDialogResult ResultFromLook(const TextLook& look, const QString& text);
TextLook LookFromResult(const TextDialogResult& result);

class CDlg_Text : public QDialog {
    Q_OBJECT
public:
    CDlg_Text(const TextDialogResult& start, QWidget* parent = nullptr);
    TextDialogResult Result() const;

    QPlainTextEdit* textBox() const { return m_text; }
    QComboBox* sizeBox() const { return m_size; }
    QComboBox* faceBox() const { return m_face; }
    QComboBox* styleBox() const { return m_style; }
    QCheckBox* strikeOutBox() const { return m_strikeOut; }
    QCheckBox* underlineBox() const { return m_underline; }
    QLabel* preview() const { return m_preview; }

private:
    void UpdatePreview();

    QPlainTextEdit* m_text;
    QComboBox* m_size;
    QComboBox* m_face;
    QComboBox* m_style;
    QCheckBox* m_strikeOut;
    QCheckBox* m_underline;
    QToolButton* m_colourButton;
    QLabel* m_preview;
    QColor m_colour;
};

}  // namespace quillory
