#include "shell/HeadlessWindow.h"

namespace brisk {

HeadlessWindow::HeadlessWindow(AppState& app, Prompts& prompts, UsageLog& log, Clock& clock)
    : m_app(app)
    , m_prompts(prompts)
    , m_controller(RunContext{app.analysis, app.position, app.session.oPickedFolder, *this, prompts, log, clock,
                              app.settings.dateLocale})
{
    panel.setBoxText(PanelBox::ProgressNumLabel, "0");
    panel.setBoxText(PanelBox::ProgressNumMaxLabel, "0");
}

void HeadlessWindow::setControlEnabled(RunControl control, bool on)
{
    enabled[static_cast<int>(control)] = on;
}

void HeadlessWindow::ResetLabels()
{
    brisk::ResetLabels(m_app.analysis, m_app.session.oPickedFolder, panel, m_prompts);
}

bool HeadlessWindow::UpdateLabels()
{
    return brisk::UpdateLabels(m_app.analysis, m_app.session.oPickedFolder, panel, m_prompts);
}

void HeadlessWindow::UpdateSenderReceiverList()
{
    brisk::UpdateSenderReceiverList(m_app.analysis, m_app.topLists, lists, m_prompts);
}

double HeadlessWindow::progressNumMax() const
{
    try {
        return std::stod(panel.boxText(PanelBox::ProgressNumMaxLabel));
    } catch (const std::exception&) {
        return 0;
    }
}

void HeadlessWindow::yield()
{
    if (onYield)
        onYield();
}

} // namespace brisk
