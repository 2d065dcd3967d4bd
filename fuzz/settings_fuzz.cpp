// Any bytes as a settings store or a Wine registry file: parsing never fails, and a rewrite keeps
// every value that could be read before it.
#include "platform/reg_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (auto flavour : {vantor::RegFile::Flavour::Regedit4, vantor::RegFile::Flavour::Wine})
        (void)vantor::RegFile::parse(text, flavour).values(QStringLiteral("Software\\Vantor"));

    vantor::RegFile file = vantor::RegFile::parse(text);
    const auto before = file.values(QStringLiteral("Software\\Vantor"));
    file.setValue(QStringLiteral("Software\\Vantor"), QStringLiteral("fuzzValue"),
                  QStringLiteral("a \"quoted\" \\ value"));
    const vantor::RegFile again = vantor::RegFile::parse(file.serialize());
    for (const auto& [name, value] : before) {
        if (name.compare(QStringLiteral("fuzzValue"), Qt::CaseInsensitive) == 0)
            continue;
        const auto now = again.value(QStringLiteral("Software\\Vantor"), name);
        // The first of equal names is the one read; a later duplicate may differ.
        if (!now)
            std::abort();
    }
    if (again.value(QStringLiteral("Software\\Vantor"), QStringLiteral("FUZZVALUE")) !=
        QStringLiteral("a \"quoted\" \\ value"))
        std::abort();
    return 0;
}
