#pragma once

#include <memory>

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QWidget>

class EucTable;

namespace Ui {
class frmE2SD;
}

// The progress window of a page conversion: the status text in Label1 and a cyan box
// in Picture1 that grows with the percentage. Text1, Label2 and Label4 lie below the
// client area and only carry the values between the conversion and the redraw.
class frmE2SD : public QWidget {
    Q_OBJECT

public:
    explicit frmE2SD(QWidget *parent = nullptr);
    ~frmE2SD() override;

    void Form_Load();
    void Text1_Change();

    // Starts one conversion of an input whose last index is `lastIndex`.
    void begin(qsizetype lastIndex);
    // One step of the conversion, as EucToSjis reports it.
    void showProgress(qsizetype position, int percent);

    int boxWidth() const { return m_boxWidth; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<Ui::frmE2SD> m_ui;
    static constexpr int RepaintIntervalMs = 16;
    int m_boxWidth = 0; // drawn from the left; never shrinks during one conversion
    QElapsedTimer m_sinceRepaint;
};

// Label1's text for a byte position and a percentage.
QString ConvertStatus(const QString &position, const QString &percent);

// EucToSjis with its progress window frmE2SD shown while the page converts.
QString EucToSjisShown(const EucTable &table, const QByteArray &bytes);
