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

// The paging of a result list, the same for both searches: where the page shown
// starts and where the page after it starts. Both are 16-bit numbers, as the
// service's paging has always been counted, and stay within 1..32767 once a button
// was pressed: the service caps a result at 1000 hits, so the cap only matters for
// odd page sizes, where it keeps a press from wrapping to a negative rank.
struct Paging {
    qint16 CurrentStart = 0;
    qint16 NextStart = 0;
};

// The button that moves the list: "検索" starts again, "前" and "次" turn a page.
enum class PageMove { Search, Previous, Next };

// The paging after one press with the given page size (a size below 0 counts as 0);
// its CurrentStart is the start to send. The caller keeps it only once the page has
// been read, so that a request that fails leaves the list where it was.
Paging MovePaging(const Paging &paging, PageMove move, int pageSize);

// The leading number of a text: blanks skipped, an optional sign, the digits up to
// the first other character; 0 when there are none.
int LeadingNumber(QStringView text);
