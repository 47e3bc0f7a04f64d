#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace tessaly {

QString CommandLine::usage()
{
    return QStringLiteral(
        "Uso: tessaly [--toggle | --settings | --quit]\n"
        "\n"
        "Guarda o histórico do que você copia e o cola de volta no aplicativo em uso.\n"
        "Sem opções, inicia o Tessaly (ou mostra os ajustes do que já está em execução).\n"
        "\n"
        "Opções:\n"
        "  --toggle     abre ou fecha o painel do histórico, como o atalho global\n"
        "               (inicia o Tessaly antes, se ele não estiver em execução)\n"
        "  --settings   abre os ajustes do Tessaly\n"
        "  --quit       encerra o Tessaly em execução\n"
        "  -h, --help   mostra esta ajuda\n"
        "  -v, --version\n               mostra a versão\n");
}

CommandLine CommandLine::parse(const QStringList &arguments, const QString &version)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption toggle(QStringLiteral("toggle"));
    const QCommandLineOption settings(QStringLiteral("settings"));
    const QCommandLineOption quit(QStringLiteral("quit"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption showVersion(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({toggle, settings, quit, help, showVersion});

    CommandLine line;
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        line.error = unknown.isEmpty()
                         ? parser.errorText()
                         : QStringLiteral("opção desconhecida: %1").arg(unknown.first());
        return line;
    }
    if (!parser.positionalArguments().isEmpty()) {
        line.error =
            QStringLiteral("argumento inesperado: %1").arg(parser.positionalArguments().first());
        return line;
    }
    if (parser.isSet(help)) {
        line.output = usage();
        return line;
    }
    if (parser.isSet(showVersion)) {
        line.output = QStringLiteral("Tessaly %1\n").arg(version);
        return line;
    }
    const int chosen =
        int(parser.isSet(toggle)) + int(parser.isSet(settings)) + int(parser.isSet(quit));
    if (chosen > 1) {
        line.error = QStringLiteral("escolha só uma entre --toggle, --settings e --quit");
        return line;
    }
    if (parser.isSet(toggle))
        line.request = SingleInstance::Request::Toggle;
    else if (parser.isSet(settings))
        line.request = SingleInstance::Request::Settings;
    else if (parser.isSet(quit))
        line.request = SingleInstance::Request::Quit;
    return line;
}

} // namespace tessaly
