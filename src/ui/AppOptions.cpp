// Command-line parsing of the desktop program.
#include "ui/AppOptions.h"

#include <QCommandLineParser>

namespace voltaris {

namespace {

constexpr int kPageCount = 8;

}  // namespace

AppOptionsResult ParseAppOptions(const QStringList& arguments) {
    AppOptionsResult result;
    AppOptions options;
    // "/MFG" is the Windows form of the factory switch; the parser only knows dashes.
    QStringList rest;
    for (const QString& argument : arguments) {
        if (argument == "/MFG") {
            options.mfg = true;
        } else {
            rest << argument;
        }
    }

    QCommandLineParser parser;
    const QCommandLineOption port("port", "serial device to probe for a meter", "PATH");
    const QCommandLineOption screenshot(
        "screenshot", "save a PNG of the window after the first capture, then exit", "FILE");
    const QCommandLineOption page("page", "tab shown in the screenshot, 0 to 7", "N");
    const QCommandLineOption mfg("mfg", "show the factory-calibration controls");
    QCommandLineOption devRoot("dev-root", "device folder to search for ports", "DIR", "/dev");
    QCommandLineOption sysRoot("sys-root", "sysfs folder describing the ports", "DIR", "/sys");
    devRoot.setFlags(QCommandLineOption::HiddenFromHelp);
    sysRoot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({port, screenshot, page, mfg, devRoot, sysRoot});
    if (!parser.parse(rest)) {
        result.error = parser.errorText().toStdString();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error =
            "unexpected argument '" + parser.positionalArguments().first().toStdString() + "'";
        return result;
    }
    for (const QString& path : parser.values(port)) {
        if (path.isEmpty()) {
            result.error = "--port needs a device path";
            return result;
        }
        options.ports.push_back(path.toStdString());
    }
    if (parser.isSet(screenshot)) {
        if (parser.value(screenshot).isEmpty()) {
            result.error = "--screenshot needs a file name";
            return result;
        }
        options.screenshot = parser.value(screenshot).toStdString();
    }
    if (parser.isSet(page)) {
        if (!options.screenshot) {
            result.error = "--page goes with --screenshot";
            return result;
        }
        bool ok = false;
        options.page = parser.value(page).toInt(&ok);
        if (!ok || options.page < 0 || options.page >= kPageCount) {
            result.error = "--page needs a tab number from 0 to 7";
            return result;
        }
    }
    options.mfg = options.mfg || parser.isSet(mfg);
    options.devRoot = parser.value(devRoot).toStdString();
    options.sysRoot = parser.value(sysRoot).toStdString();
    result.options = std::move(options);
    return result;
}

}  // namespace voltaris
