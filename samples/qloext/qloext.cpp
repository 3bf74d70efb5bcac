// Stand-in for Quillo's shell extension library: a real in-process COM
// server with the four entry points the system calls, which serves no class
// yet. The setup program registers it (class, handlers, approval), so its
// own registration entry points have nothing to do.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* object)
{
    if (object)
        *object = NULL;
    return CLASS_E_CLASSNOTAVAILABLE;
}

// No object is ever handed out, so the library may always be unloaded.
STDAPI DllCanUnloadNow()
{
    return S_OK;
}

STDAPI DllRegisterServer()
{
    return S_OK;
}

STDAPI DllUnregisterServer()
{
    return S_OK;
}
