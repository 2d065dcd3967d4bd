#pragma once

#include "page_creation.h"

#include <QTextStream>

namespace vantor::utilities {

// The command-line forms of "Save" (histories included) and "View Player Rankings" (writes
// "Rankings.html" without opening it).
struct PageCommand {
    bool rankings = false;
    QString file; // the stats page's name; unused for the rankings view
    QString rankKey = QStringLiteral("Skill Points");
    QString comment;
    QString gameType;
    bool quiet = false; // say nothing when the page was written
};

// Gives the exit status: 0 when the page was written, else 1. The window's messages become
// lines on out, failures go to err.
int runPageCommand(const PageCommand& command, const SettingsStore& store, const Ranker& ranker,
                   QTextStream& out, QTextStream& err);

} // namespace vantor::utilities
