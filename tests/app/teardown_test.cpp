// Closing the window: once its destruction has begun no handler may run,
// whatever holds the focus or is open at that moment (Qt takes the focus
// from the children while the window's own part is already gone).
#include "tests/app/form1_fixture.h"

TEST_F(Form1Test, NoHandlerRunsWhileTheWindowIsDestroyed) {
    const std::function<void()> states[] = {
        [this] { focus(form->Text1); },
        [this] {
            focus(form->Text1);
            typeText(form->Text1, QStringLiteral("hemligt"));
        },
        [this] { focus(form->txtClip); },
        [this] { focus(form->cmdKryDekry); },
        [this] {
            focus(form->Text1);
            form->mnuClip->popup(form->mapToGlobal(QPoint(40, 40)));
        },
    };
    for (std::size_t i = 0; i < std::size(states); ++i) {
        SCOPED_TRACE(i);
        if (i > 0) {
            TearDown();
            SetUp();
            ASSERT_FALSE(HasFatalFailure());
        }
        states[i]();
        takeHandlers();
        form.reset();
        EXPECT_EQ(takeHandlers(), QStringList());
    }
}
