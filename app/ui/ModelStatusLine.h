// The model status line as every window shows it: the status's symbol and
// its sentence side by side, the symbol drawn in the colour of the sentence,
// plain or dimmed as a whole.
#pragma once

#include "ModelReader.h"

#include <QWidget>

class QLabel;
class SymbolLabel;

class ModelStatusLine : public QWidget
{
    Q_OBJECT

public:
    enum class Look { plain, dimmed };

    ModelStatusLine(ModelStatus status, Look look, QWidget *parent = nullptr);

    void setStatus(ModelStatus status);

    SymbolLabel *symbol() const { return m_symbol; }
    QLabel *text() const { return m_text; }

private:
    const Look m_look;
    SymbolLabel *m_symbol = nullptr;
    QLabel *m_text = nullptr;
};
