#pragma once

#include "storage/RegisterWriter.h"

#include <QString>

// What the user is told, in Russian, when a register cannot be saved or an
// archive name cannot be used.
namespace SaveMessages {

// header names the column as the grid shows it (its caption, may be empty).
QString failure(const RegisterWriter::Outcome& outcome, const QString& path, const QString& header);

QString nameRefused(const QString& name);

} // namespace SaveMessages
