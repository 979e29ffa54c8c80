/* A 32-bit library under the bridge's name, for the tests of a 64-bit plug-in
   that finds one beside it: it has an export of the bridge's, and no code that
   could ever run in a 64-bit process. */
__declspec(dllexport) int StartLinkOrvexRender(void) { return 0; }

int __stdcall DllMainCRTStartup(void* module, unsigned reason, void* reserved) {
  (void)module;
  (void)reason;
  (void)reserved;
  return 1;
}
