#include "support/ProgramFixture.h"

#include <QAbstractButton>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTest>

#include "library/WrapRadioButton.h"
#include "conversion/ESConv.h"
#include "shell/Library.h"
#include "support/TestData.h"

using namespace Qt::Literals::StringLiterals;

ProgramFixture::ProgramFixture(int omit)
{
    const QDir top(root.path());
    // the library sits deep in the temporary folder: a name that escaped it would
    // still land inside it
    for (const QString &folder : {u"app"_s, u"work"_s, u"home/user/Documents"_s})
        top.mkpath(folder);
    state.AppPath = top.filePath(u"app"_s);
    state.WorkPath = top.filePath(u"work"_s);
    state.DocumentsPath = top.filePath(u"home/user/Documents/"_s);
    Library::CreateFolders(state.DocumentsPath);
    const QString data = QStringLiteral(HIBARI_SOURCE_DIR "/data/");
    if (!(omit & ParameterFiles)) {
        for (const QString &name : {u"E2S.param"_s, u"effect.param"_s, u"item.param"_s, u"count.param"_s,
                                    u"DosageForm.param"_s, u"txtEffect.param"_s})
            QFile::copy(data + name, appFile(name));
    }
    LoadEucTable(state.Tables, data + u"E2S.param"_s);
    if (!(omit & Routes)) {
        AddFixedRoutes(server);
        AddPrescriptionRoutes(server);
        AddPrescriptionDocumentRoutes(server);
        AddOtcRoutes(server);
    }
    if (!server.Listen())
        QTest::qFail("the practice service does not listen", __FILE__, __LINE__);
    state.ServiceBase = server.BaseUrl();
}

QStringList ProgramFixture::requested(const QByteArray &prefix) const
{
    QStringList urls;
    for (const PracticeRequest &request : server.Requests()) {
        if (request.path.startsWith(prefix))
            urls.append(QString::fromLatin1(request.url()));
    }
    return urls;
}

QString ProgramFixture::lastQuery() const
{
    const QList<PracticeRequest> requests = server.Requests();
    return requests.isEmpty() ? QString() : QString::fromLatin1(requests.last().query);
}

QMap<QString, QByteArray> ProgramFixture::files(const QString &relativeTo) const
{
    const QDir base(relativeTo.isEmpty() ? root.path() : relativeTo);
    QMap<QString, QByteArray> files;
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path != state.WorkPath + u"/Temp.txt"_s)
            files.insert(base.relativeFilePath(path), readBytes(path));
    }
    return files;
}

namespace {

// The style option a control paints itself with (the function is protected).
template <typename Widget, typename Option> Option styleOption(const Widget *widget)
{
    struct Open : Widget {
        using Widget::initStyleOption;
    };
    Option option;
    (widget->*(&Open::initStyleOption))(&option);
    return option;
}

struct Caption {
    QString text;
    QRect room;
    bool wraps = false;
};

Caption captionOf(const QWidget *widget)
{
    const QStyle *style = widget->style();
    if (auto *button = qobject_cast<const QPushButton *>(widget)) {
        const auto option = styleOption<QPushButton, QStyleOptionButton>(button);
        return {button->text(), style->subElementRect(QStyle::SE_PushButtonContents, &option, button)};
    }
    if (auto *box = qobject_cast<const QCheckBox *>(widget)) {
        const auto option = styleOption<QCheckBox, QStyleOptionButton>(box);
        return {box->text(), style->subElementRect(QStyle::SE_CheckBoxContents, &option, box)};
    }
    if (auto *radio = qobject_cast<const QRadioButton *>(widget)) {
        const auto option = styleOption<QRadioButton, QStyleOptionButton>(radio);
        return {radio->text(), style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio),
                qobject_cast<const WrapRadioButton *>(radio) != nullptr};
    }
    if (auto *label = qobject_cast<const QLabel *>(widget)) {
        const int margin = label->margin();
        return {label->text(), label->contentsRect().adjusted(margin, margin, -margin, -margin), label->wordWrap()};
    }
    if (auto *edit = qobject_cast<const QLineEdit *>(widget)) {
        const auto option = styleOption<QLineEdit, QStyleOptionFrame>(edit);
        return {edit->text(), style->subElementRect(QStyle::SE_LineEditContents, &option, edit)};
    }
    if (auto *frame = qobject_cast<const QGroupBox *>(widget)) {
        const auto option = styleOption<QGroupBox, QStyleOptionGroupBox>(frame);
        const QRect label = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        return {frame->title(), label.intersected(frame->rect())};
    }
    return {};
}

} // namespace

void layoutRows(std::initializer_list<Placed> controls)
{
    addColumns<QString, QString, QRect, QString>("name", "caption", "twips", "colour");
    for (const Placed &control : controls) {
        const QString name = QString::fromUtf16(control.name);
        QTest::newRow(qPrintable(name)) << name << QString::fromUtf16(control.caption) << control.twips
                                        << QString::fromUtf16(control.colour);
    }
}

void checkControl(const QWidget &window, const QString &name, const QString &caption, const QRect &twips)
{
    const QWidget *widget = child<QWidget>(window, name);
    QCOMPARE(widget->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, qMax(1, twips.height() / 15)));
    const Caption shown = captionOf(widget);
    QCOMPARE(shown.text, caption);
    if (caption.isEmpty())
        return;
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | (shown.wraps ? Qt::TextWordWrap : 0);
    const QRect needed = widget->fontMetrics().boundingRect(shown.room, flags, caption);
    QVERIFY2(shown.room.contains(needed), qPrintable(u"caption clipped: needs %1x%2, room %3x%4"_s.arg(needed.width())
                                                         .arg(needed.height())
                                                         .arg(shown.room.width())
                                                         .arg(shown.room.height())));
}

void checkLayout(const QWidget &window, const QString &title, QSize size)
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(QString, colour);
    QCOMPARE(window.size(), QSize(size.width() / 15, size.height() / 15));
    QCOMPARE(window.windowTitle(), title);
    checkControl(window, name, caption, twips);
    QVERIFY(child(window, name)->styleSheet().contains(colour));
}
