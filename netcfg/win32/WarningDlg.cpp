#include "netcfg/win32/WarningDlg.h"

#include "ui/Dpi.h"

namespace tesmara {
namespace {

constexpr COLORREF kWarningTextColour = 0x0000FF;  // pure red (0x00BBGGRR)
constexpr LONG kStaticTypeMask = 0x0F;

}  // namespace

CWarningDlg::~CWarningDlg() {
    if (m_font) DeleteObject(m_font);
    if (m_bitmap) DeleteObject(m_bitmap);
}

bool CWarningDlg::OnInit() {
    m_text.Attach(Handle(), IDC_WARNING_TEXT);

    // 20 pixels at 96 DPI, as the dialog's own font grows with the DPI.
    m_font = CreateFontW(ui::ScaleToDpi(20, ui::WindowDpi(Handle())), 0, 0, 0, FW_BOLD, FALSE,
                         FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         FF_SWISS, L"Arial");
    m_text.SetFont(m_font, true);

    m_bitmap = LoadBitmapW(ui::ResourceModule(), MAKEINTRESOURCEW(IDB_WARNING));
    ui::Static picture(Item(IDC_WARNING_PICTURE));
    LONG style = GetWindowLongW(picture.Handle(), GWL_STYLE);
    style = (style & ~kStaticTypeMask) | SS_BITMAP | SS_CENTERIMAGE;
    SetWindowLongW(picture.Handle(), GWL_STYLE, style);
    picture.SetBitmap(m_bitmap);
    return true;
}

bool CWarningDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_CTLCOLORSTATIC) return false;
    // The default colours and brush, with the warning text turned red.
    result = DefWindowProcW(Handle(), message, wParam, lParam);
    if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_WARNING_TEXT) {
        SetTextColor(reinterpret_cast<HDC>(wParam), kWarningTextColour);
    }
    return true;
}

}  // namespace tesmara
