#include "app/VelocityCommands.h"

#include "app/CMainFrame.h"
#include "dialogs/CMeasureVelocityDlg.h"
#include "dialogs/CVelocityCalculatorDlg.h"
#include "view/FormViewLogic.h"

namespace vexlan {

void InstallVelocityCommands(CMainFrame& frame) {
    frame.SetCommandHandler(cmd::kMeasureVelocity, [&frame] {
        CVexlanView& view = frame.view();
        if (!frame.document().fileLoaded()) return;
        if (RunMeasureVelocityDialog(&frame, frame.document(), frame.prompt(), view.lengthUnit(), view.timeUnit()))
            view.OnUpdate(kRefreshHint);
    });
    frame.view().SetVelocityCalculatorHandler([&frame] {
        CVexlanView& view = frame.view();
        const int segment = view.logic().Controls().segmentSelection;
        if (!frame.document().fileLoaded() || segment < 0) return;
        float velocity = 0;
        if (RunVelocityCalculatorDialog(&frame, frame.document(), segment, frame.prompt(), view.lengthUnit(),
                                        view.timeUnit(), velocity))
            view.SetSegmentVelocity(velocity);
    });
}

}  // namespace vexlan
