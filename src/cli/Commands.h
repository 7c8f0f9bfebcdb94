// Entry points of the voltaris-cli commands; each takes its arguments with its own name first
// and returns the process exit status.
#pragma once

#include <QStringList>

namespace voltaris::cli {

int runStatus(const QStringList& args);
int runAnalyze(const QStringList& args);
int runDetect(const QStringList& args);
int runCapture(const QStringList& args);
int runCalibrate(const QStringList& args);
int runFiles(const QStringList& args);
int runDownload(const QStringList& args);
int runDelete(const QStringList& args);
int runLogPeriod(const QStringList& args);
int runReport(const QStringList& args);
int runCompliance(const QStringList& args);

}  // namespace voltaris::cli
