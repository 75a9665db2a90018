#ifndef VELKDATA_VELKDATA_H
#define VELKDATA_VELKDATA_H

// Everything a host needs: include this one header and link
// VelkData::velkdata.

#include "formula/Action.h"
#include "formula/Formula.h"
#include "formula/FormulaParser.h"
#include "formula/FormulaProgram.h"
#include "formula/ParserException.h"
#include "formula/Token.h"

#endif  // VELKDATA_VELKDATA_H
