#pragma once

#include <optional>

#include <QString>
#include <QStringView>

// What both search windows share in talking to the service: how a choice's value
// goes into a query, the service's refusals and the page-size reading.

// A value from a parameter file as it goes into the URL. The files hold values in
// URL-ready form, sent as they stand; only what would cut the query (a damaged
// file's "&", "#", blank or control character) is escaped.
QString QueryValue(const QString &value);

// The message with which the service refuses a search ("入力エラー"), or nothing
// for a page to be read. The first refusal wins when a page holds both.
std::optional<QString> ServiceRefusal(QStringView page);

// The leading number of a text: blanks skipped, an optional sign, the digits up to
// the first other character; 0 when there are none.
int LeadingNumber(QStringView text);
