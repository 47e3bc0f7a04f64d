#pragma once

#include "app/SingleInstance.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tessaly {

// What the command line asks for: `tessaly` starts the program (or shows the running one's
// settings), `--toggle`, `--settings` and `--quit` go to the running one, `--help` and
// `--version` print and end.
struct CommandLine
{
    SingleInstance::Request request = SingleInstance::Request::Reopen;
    // Text to print on standard output and end with status 0 (--help, --version).
    std::optional<QString> output;
    // A mistake: printed with the usage on standard error; the program ends with status 2.
    std::optional<QString> error;

    static CommandLine parse(const QStringList &arguments, const QString &version);
    static QString usage();
};

} // namespace tessaly
