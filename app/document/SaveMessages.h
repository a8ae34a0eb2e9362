#pragma once

#include "storage/RegisterReader.h"
#include "storage/RegisterWriter.h"

#include <QString>

// What the user is told, in Russian, when a register cannot be saved or
// loaded or an archive name cannot be used, and what a save asks first.
namespace SaveMessages {

// header names the column as the grid shows it (its caption, may be empty).
QString failure(const RegisterWriter::Outcome& outcome, const QString& path, const QString& header);

QString nameRefused(const QString& name);

// A load that failed: what stands at the file, or the fallback message for a
// file that is missing or could not be read to its end.
QString loadFailure(RegisterReader::Status status, const QString& fileName, const QString& fallback);

// The question before a save drops text in columns the file does not carry.
QString textNotSaved(int row, int col, const QString& text);

// The question before a save that could not keep the replaced version.
// A character the file cannot carry, as the user is told of it.
QString characterName(char32_t ch);
// error: the errno of why no copy could be kept.
QString noKeptVersion(const QString& path, const QString& backupFolder, int error);
// Why a file could not be written, for an errno, as the user is told it.
QString systemReason(int error);
// A link at path leading to target, where there is nothing.
QString danglingLink(const QString& path, const QString& target);

} // namespace SaveMessages
