// The program's message texts that are not part of window layouts: one table
// of named resource strings, each read at the moment it is used. Leading and
// trailing blanks belong to the texts: a leading blank separates a text from
// the axis name written before it, a trailing one from a number after it.
#pragma once

#include "platform/runtime/rtl_string.h"

namespace desktop {

// One entry of the table. Its address identifies the string to the
// language-resource registry.
struct TResStringRec {
  const char16_t* Text;
};

inline rtl::String LoadResString(const TResStringRec& Rec) { return rtl::String(Rec.Text); }

extern const TResStringRec rsTip;
extern const TResStringRec rsStop;
extern const TResStringRec rsPause;
extern const TResStringRec rsReRun;
extern const TResStringRec rsStart;
extern const TResStringRec rsDelAction;
extern const TResStringRec rsNewProject;
extern const TResStringRec rsNoDevice;
extern const TResStringRec rsAutoProject;
extern const TResStringRec rsAdjustDone;
extern const TResStringRec rsAbsStart;
extern const TResStringRec rsAbsDone;
extern const TResStringRec rsDelayStart;
extern const TResStringRec rsDelayDone;
extern const TResStringRec rsCycleDone;
extern const TResStringRec rsRelStart;
extern const TResStringRec rsRelDone;
extern const TResStringRec rsZeroDone;
extern const TResStringRec rsRunDone;
extern const TResStringRec rsAcc;
extern const TResStringRec rsDec;
extern const TResStringRec rsMaxV;
extern const TResStringRec rsSafeV;
extern const TResStringRec rsConstPos;
extern const TResStringRec rsAxis;
extern const TResStringRec rsConfig;
extern const TResStringRec rsLimit;
extern const TResStringRec rsOverSafe;

}  // namespace desktop
