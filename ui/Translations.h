#pragma once

// Loads Qt's own Chinese texts (standard buttons, the edit boxes' context menus) into the
// application; once only. False when the translation file cannot be loaded: the texts stay
// English then.
bool InstallQtTranslations();
