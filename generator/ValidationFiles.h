#pragma once

#include "GeneratedFile.h"

// The server-side checks of a class's add and modify requests: Struts validation files beside
// the class's Action, read for the actions <Class>_Add<Class> and <Class>_Modify<Class>. Each
// form field gets the checks its member declares (required, length, integer, float, date),
// run by the validator "formvalue" (utils/FormValueValidator of the fixed support sources) on
// the text the request carried, each with its own Chinese message. GBK, like the Java sources.
namespace ValidationFiles {

// src/com/<package>/action/<Class>Action-<Class>_Add<Class>-validation.xml: every field of the
// add form (a key the database numbers is not one).
TGeneratedFile BuildAddValidation(const TBuildContext& context, const TClassModel& c);
// ...-<Class>_Modify<Class>-validation.xml: every field of the modify form, the key too.
TGeneratedFile BuildModifyValidation(const TBuildContext& context, const TClassModel& c);
// Both files of every class, class by class; then, for a whole run of a model with a member
// the validator "formvalue" cannot check (a 长整型 or 日期时间型, or a reference to a class
// keyed by a 长整型), TypeCheckFiles.
TGeneratedFiles GenerateValidationFiles(const TBuildContext& context);
bool NeedsTypeChecks(const TProjectModel& model);
// src/typevalue-validators.xml registering the validator "typevalue", and its class
// utils/TypeValueValidator.java.
TGeneratedFiles TypeCheckFiles(const TBuildContext& context);

} // namespace ValidationFiles
