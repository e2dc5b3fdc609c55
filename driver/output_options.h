// The named options that choose the output's form: -nl[:NAME], -var:NAME,
// -vba and -chrw, read once per run, after the arguments and before any
// file is opened.
#pragma once

#include <string>

#include "scanner/output_form.h"

// Reads the stored named options into `form`. Each of these words is taken
// in any case; the first -nl and the first -var give the values. Returns
// "" when every one is well formed, else the message that refuses the
// first bad one (an unknown -nl constant, a -var value that is not an
// identifier, a value after -vba or -chrw). Must run before any lookup of
// the named options upper-cases them: -var keeps its name as typed.
std::string readOutputForm(OutputForm& form);

// Reads the form into the scanner's outputForm; a bad value ends the run
// with its message on standard error and status 1.
void applyOutputOptions();
