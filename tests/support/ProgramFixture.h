#pragma once

#include <initializer_list>

#include <QByteArray>
#include <QMap>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include "PracticeServer.h"
#include "retrieval/Inet1.h"
#include "shell/AppContext.h"
#include "support/RecordingDesktop.h"
#include "support/UserActions.h"

// One user's program: a program folder with the parameter files of data/, a working
// folder and a document library with its category folders, all in one temporary
// folder; the conversion table loaded; the practice service with every route,
// listening on loopback; the recording desktop. Each part can be left out.
struct ProgramFixture : ModalDriver {
    enum Omit { Nothing = 0, Routes = 1, ParameterFiles = 2 };
    explicit ProgramFixture(int omit = Nothing);

    QTemporaryDir root;
    RecordingDesktop desktop;
    ProgramState state;
    AppContext context{state, desktop};
    PracticeServer server;
    Inet1 inet;
    QWidget owner; // owns the dialogs opened without a window of the program

    QString appFile(const QString &name) const { return state.AppPath + u'/' + name; }
    QString inLibrary(const QString &relative) const { return state.DocumentsPath + relative; }
    // The requests whose path starts so, as path and query.
    QStringList requested(const QByteArray &prefix) const;
    QString lastQuery() const;
    // Every file under the temporary folder with its bytes, by its path relative to
    // the folder given (the temporary folder by default), but the scratch copy of the
    // last page, which every fetch may rewrite.
    QMap<QString, QByteArray> files(const QString &relativeTo = {}) const;
};

// One control of a window's layout: its name, caption, place in twips and, for the
// windows that colour their controls, the colour its style sheet names.
struct Placed {
    const char16_t *name;
    const char16_t *caption;
    QRect twips;
    const char16_t *colour = u"";
};

// The columns name, caption, twips and colour, and a row a control named after it.
void layoutRows(std::initializer_list<Placed> controls);

// The control stands where its twips put it (15 twips a pixel) and shows the caption
// whole: the text fits, in width and height, inside the rectangle the control's style
// keeps for text (wrapped where the control wraps).
void checkControl(const QWidget &window, const QString &name, const QString &caption, const QRect &twips);

// The window has its size (in twips) and title, and the control of the current row of
// layoutRows passes checkControl and names its colour in its style sheet.
void checkLayout(const QWidget &window, const QString &title, QSize size);
