#pragma once

#include "common/record_file.h"
#include "common/records.h"

#include "tests/support/record_builders.h"
#include "tests/support/temp_folder.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <vector>

namespace vantor::test {

template <class Record> void writeRecords(const QString& path, const std::vector<Record>& records) {
    RecordFile<Record> f(path);
    f.open(FixedRecordFile::Mode::Create);
    for (const auto& r : records)
        f.write(r);
    f.close();
}

template <class Record> std::vector<QByteArray> namesIn(const std::vector<Record>& records) {
    std::vector<QByteArray> names;
    for (const auto& r : records)
        names.push_back(r.name.text());
    return names;
}

// Compares a page with its golden file under tests/data/live byte for byte. With
// VANTOR_UPDATE_GOLDEN set the golden file is written instead, to be checked by eye.
inline void expectGolden(const QString& name, const QByteArray& page) {
    const QString path = QStringLiteral(VANTOR_TEST_DATA "/live/") + name;
    if (qEnvironmentVariableIsSet("VANTOR_UPDATE_GOLDEN")) {
        writeFile(path, page);
        return;
    }
    const QByteArray golden = readFile(path);
    if (golden == page)
        return;
    qsizetype at = 0;
    while (at < golden.size() && at < page.size() && golden[at] == page[at])
        ++at;
    const auto from = std::max<qsizetype>(0, at - 60);
    ADD_FAILURE() << name.toStdString() << " differs at byte " << at << "\n golden: ..."
                  << golden.mid(from, 120).toStdString() << "\n page:   ..."
                  << page.mid(from, 120).toStdString();
}

} // namespace vantor::test
