#include "core/devices/devices.h"

#include <QDebug>

#include <cstdio>

#include <dshow.h>
#include <windows.h>

namespace {

QString readString(IPropertyBag* bag, const wchar_t* property, bool* ok)
{
    VARIANT var;
    VariantInit(&var);
    *ok = SUCCEEDED(bag->Read(property, &var, nullptr)) && var.vt == VT_BSTR;
    QString value;
    if (*ok)
        value = QString::fromWCharArray(var.bstrVal);
    VariantClear(&var);
    return value;
}

} // namespace

void DisplayDeviceInformation(IEnumMoniker* enumerator, DeviceList& list)
{
    IMoniker* moniker = nullptr;
    while (enumerator->Next(1, &moniker, nullptr) == S_OK) {
        IPropertyBag* bag = nullptr;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag)))) {
            moniker->Release();
            continue;
        }

        bool ok = false;
        QString name = readString(bag, L"Description", &ok);
        if (!ok)
            name = readString(bag, L"FriendlyName", &ok);

        VARIANT var;
        VariantInit(&var);
        if (SUCCEEDED(bag->Read(L"WaveInID", &var, nullptr))) {
            std::printf("WaveIn ID: %ld\n", static_cast<long>(var.lVal));
            VariantClear(&var);
        }

        const QString path = readString(bag, L"DevicePath", &ok);

        bag->Release();
        moniker->Release();

        qInfo().noquote() << name << "@[" << path << "]";
        list.emplace_back(name, path);
    }
}

namespace {

void enumerateCategory(REFGUID category, DeviceList& list)
{
    ICreateDevEnum* devices = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&devices))))
        return;
    IEnumMoniker* enumerator = nullptr;
    HRESULT hr = devices->CreateClassEnumerator(category, &enumerator, 0);
    devices->Release();
    if (hr == S_FALSE)
        hr = VFW_E_NOT_FOUND; // the category is empty
    if (FAILED(hr))
        return;
    DisplayDeviceInformation(enumerator, list);
    enumerator->Release();
}

} // namespace

long listCaptureDevices()
{
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init))
        return init;

    // Fresh lists on every run, so an unplugged device is never used again.
    DeviceList video;
    DeviceList audio;
    enumerateCategory(CLSID_VideoInputDeviceCategory, video);
    enumerateCategory(CLSID_AudioInputDeviceCategory, audio);
    videoCaptureDevices() = std::move(video);
    audioCaptureDevices() = std::move(audio);

    CoUninitialize();
    return init;
}

AudioSourceList listAudioSources()
{
    listCaptureDevices();
    AudioSourceList sources;
    for (const DeviceEntry& device : audioCaptureDevices())
        sources.push_back({device.first, device.first});
    return sources;
}
