// Ties the operator's boxes to the main window: centred on it, on screen after it, and with
// Qt's texts in the language its captions show.
#pragma once

namespace climate {

class QtPrompts;
class TFrmMain;

void AttachPrompts(QtPrompts& prompts, TFrmMain& window);

}  // namespace climate
