#pragma once

#include <functional>

#include <QElapsedTimer>
#include <QList>
#include <QStringList>

#include "shell/ParamFile.h"

class QComboBox;
class QListWidget;

// What the three working windows do alike with their lists.

// Fills a drop-down list with the texts of a parameter file's records (after one
// empty line when `blankFirst`), selects the first line, and returns the records'
// query values at the same indexes as their texts.
QStringList fillChoices(QComboBox &combo, const QList<ParamRecord> &records, bool blankFirst = false);

// Every line of a list, in order.
QStringList listTexts(const QListWidget &list);

// The chosen row: the current row when it is also selected, else -1. Focus alone
// makes a row current without selecting it, and that is no choice.
int chosenRow(const QListWidget &list);

// A double-click on an entry of `list`, or Enter while an entry is selected, runs
// `command` (the window's "文書表示"). A single click keeps its own meaning, and
// Enter without a selection goes on to the window as before.
void runOnActivation(QListWidget *list, std::function<void()> command);

// While a long page fills a list, says when to repaint: at most every few tens of
// milliseconds, so the user sees the list grow without the painting costing more
// than the reading.
class RepaintThrottle {
public:
    static constexpr qint64 IntervalMs = 40;

    RepaintThrottle() { m_sinceRepaint.start(); }
    bool due()
    {
        if (m_sinceRepaint.elapsed() < IntervalMs)
            return false;
        m_sinceRepaint.restart();
        return true;
    }

private:
    QElapsedTimer m_sinceRepaint;
};
