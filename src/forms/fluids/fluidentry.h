#pragma once
// What the body-fluid, semen, sperm-count and stone screens share: the loader of their result
// row, the head of their save commands and their report's parameters.

#include "forms/common/resultform.h"

namespace corvane {

// "LABORATORY..lab_getresulthcodes '<request>'"
Command fluidResultQuery();
// The request number, the submitted and LRA times and the sample number, each followed by "','".
void appendSaveHead(Command &command, const SaveTexts &texts, const QString &sampleNumber);
// The layout with the hospital's address and the request number; the preview has no caption.
ReportRequest fluidReport(const QString &fileName);

} // namespace corvane
