#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

// The EUC-JP <-> Shift-JIS conversion tables, loaded from "E2S.param".
// E2STable: EUC-JP code (one to three bytes) -> Shift-JIS code -> character.
// S2ETable: Shift-JIS code (0-65535) -> EUC-JP code value.
// A lookup of a code that the file does not hold gives 0 (no mapping).
// Start-up loads it into the program-wide state; the conversion that reads it,
// EucToSjis and EncodeQuery, is beside it in ESConv.
class EucTable {
public:
    EucTable();
    ~EucTable();
    EucTable(const EucTable &) = delete;
    EucTable &operator=(const EucTable &) = delete;

    void clear();
    // Stores one record; a later record for the same code overwrites an earlier one.
    // The Shift-JIS code is decoded to its character here, once.
    void add(quint32 eucCode, quint16 sjisCode);

    quint16 sjisFor(quint32 eucCode) const; // 0 when unmapped
    quint32 eucFor(quint16 sjisCode) const; // 0 when unmapped
    qsizetype size() const;                 // number of E2STable entries

    struct Data;
    // The stored tables as they are: the conversion reads them a character at a time.
    const Data &data() const;
    // Stores one record whose character is decoded already, for loading many at once;
    // settle() follows the last of them.
    void addDecoded(quint32 eucCode, quint16 sjisCode, char16_t character);
    void settle();

private:
    std::unique_ptr<Data> m_data;
};

// Reads the table file into `table` (which is cleared first). Loading stops at the
// first malformed record, keeping what was read before it. Returns false when the
// file is missing or a record was malformed.
bool LoadEucTable(EucTable &table, const QString &path);

// The same for the text of such a file, already read.
bool ParseEucTable(EucTable &table, QByteArrayView content);

// The tables are stored sparsely: codes below 65536 (one and two bytes) in one dense
// array indexed by the code, three-byte codes in one 65536-entry block per first
// byte, made only for first bytes that the file uses (in practice only 8F). Beside
// each Shift-JIS code the table keeps its character, so that converting a page is
// one array read per character.
struct EucTable::Data {
    std::vector<quint16> code2 = std::vector<quint16>(65536, 0);
    std::vector<char16_t> char2 = std::vector<char16_t>(65536, 0);
    std::array<std::unique_ptr<char16_t[]>, 257> char3;
    QHash<quint32, quint16> code3;
    std::vector<quint32> s2e = std::vector<quint32>(65536, 0);
    qsizetype count = 0;
    bool asciiIdentity = false; // 01-7F all map to themselves
    bool noHighSingles = false; // no byte 80-FF has a one-byte entry: it always starts a longer code

    void store(quint32 euc, quint16 sjis, char16_t character)
    {
        const char16_t value = sjis ? character : 0;
        if (euc < 65536) {
            count += (sjis != 0) - (code2[euc] != 0);
            code2[euc] = sjis;
            char2[euc] = value;
        } else {
            count += (sjis != 0) - code3.contains(euc);
            if (sjis)
                code3.insert(euc, sjis);
            else
                code3.remove(euc);
            auto &block = char3[euc >> 16];
            if (!block && value)
                block = std::make_unique<char16_t[]>(65536); // zeroed
            if (block)
                block[euc & 0xFFFF] = value;
        }
        s2e[sjis] = euc;
    }

    void settle()
    {
        asciiIdentity = true;
        for (char16_t b = 1; b < 0x80; ++b)
            asciiIdentity = asciiIdentity && char2[b] == b;
        noHighSingles = true;
        for (size_t b = 0x80; b < 0x100; ++b)
            noHighSingles = noHighSingles && char2[b] == 0;
    }
};
