/* A service that does nothing: it runs until it is told to stop. The service
   tests under Wine install it, start and stop it through a package, and
   remove it again. */
#include <windows.h>

static SERVICE_STATUS_HANDLE g_handle;
static SERVICE_STATUS g_status;
static HANDLE g_stop;

static void Report(DWORD state) {
  g_status.dwCurrentState = state;
  SetServiceStatus(g_handle, &g_status);
}

static DWORD WINAPI Control(DWORD control, DWORD type, LPVOID data, LPVOID context) {
  if (control == SERVICE_CONTROL_STOP) {
    Report(SERVICE_STOP_PENDING);
    SetEvent(g_stop);
  }
  return NO_ERROR;
}

static void WINAPI ServiceMain(DWORD argc, LPSTR* argv) {
  g_handle = RegisterServiceCtrlHandlerExA("", Control, NULL);
  if (g_handle == NULL) return;
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwControlsAccepted = SERVICE_ACCEPT_STOP;
  g_stop = CreateEventA(NULL, TRUE, FALSE, NULL);
  Report(SERVICE_RUNNING);
  WaitForSingleObject(g_stop, INFINITE);
  Report(SERVICE_STOPPED);
}

int main(void) {
  SERVICE_TABLE_ENTRYA table[] = {{(LPSTR) "", ServiceMain}, {NULL, NULL}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
