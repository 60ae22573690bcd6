#pragma once

#include <QByteArray>
#include <QString>

class EucTable;

// EucToSjis with its progress window frmE2SD shown while the page converts.
QString EucToSjisShown(const EucTable &table, const QByteArray &bytes);
