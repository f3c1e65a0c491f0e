// A DashboardDisplay that records what the dashboard does: the call sequence,
// every object's geometry and latest text, the page each object lives on and
// which page is current and shown. Button releases are scripted per turn.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/dashboard_display.h"

namespace vareko::testing {

class FakeDashboardDisplay final : public DashboardDisplay {
public:
    struct Object {
        int page = -1;
        int kind = -1;
        int sizeClass = -1;
        int alignment = -1;
        int width = 0;
        int x = 0;
        int y = 0;
        std::wstring text = L" ";  // a new text object shows one blank
        int writes = 0;
    };

    HRESULT Initialize(const WCHAR* titleText, DWORD flag2, DWORD flag1, void* callbacks, int width,
                       int height) override {
        Log("Initialize");
        title = titleText;
        initArgs = {static_cast<int>(flag2), static_cast<int>(flag1), callbacks != nullptr ? 1 : 0, width, height};
        pageCount = 1;
        currentPage = 0;
        return S_OK;
    }
    int AddPage() override {
        Log("AddPage");
        return ++pageCount;
    }
    int SelectPage(int index) override {
        Log("SelectPage " + std::to_string(index));
        if (index < 0 || index >= pageCount) return 0;
        currentPage = index;
        return 1;
    }
    int ShowPage(int index) override {
        Log("ShowPage " + std::to_string(index));
        if (index < 0 || index >= pageCount) return 0;
        currentPage = shownPage = index;
        return 1;
    }
    Handle CreateTextObject(int kind, int sizeClass, int alignment, int width) override {
        Log("CreateTextObject");
        Object& o = objects.emplace_back();
        o.page = currentPage;
        o.kind = kind;
        o.sizeClass = sizeClass;
        o.alignment = alignment;
        o.width = width;
        return &o;
    }
    HRESULT SetObjectOrigin(Handle object, int x, int y) override {
        Log("SetObjectOrigin");
        Object* o = OnCurrentPage(object);
        if (!o) return E_FAIL;
        o->x = x;
        o->y = y;
        return S_OK;
    }
    HRESULT SetObjectText(Handle object, const WCHAR* text) override {
        Log("SetObjectText");
        Object* o = OnCurrentPage(object);
        if (!o) return E_FAIL;
        o->text = text;
        ++o->writes;
        return S_OK;
    }
    int IsButtonReleased(int button) override { return released.count(button) ? 1 : 0; }
    void Update() override {
        Log("Update");
        if (updates++ == 0) shownPage = currentPage;
        released = pendingReleases;
        pendingReleases.clear();
    }

    // A release seen by the next Update, and so acted on in the turn after it.
    void ReleaseAtNextUpdate(int button) { pendingReleases.insert(button); }

    Object& At(std::size_t creationIndex) { return objects[creationIndex]; }
    std::wstring Text(std::size_t creationIndex) { return objects[creationIndex].text; }

    std::vector<std::string> calls;
    std::wstring title;
    std::vector<int> initArgs;
    std::deque<Object> objects;  // deque: addresses stay valid, they are the handles
    int pageCount = 0;
    int currentPage = -1;
    int shownPage = -1;
    int updates = 0;

private:
    void Log(std::string call) { calls.push_back(std::move(call)); }
    // The real manager finds an object only on the current page.
    Object* OnCurrentPage(Handle handle) {
        for (Object& o : objects) {
            if (&o == handle) return o.page == currentPage ? &o : nullptr;
        }
        return nullptr;
    }

    std::set<int> released;
    std::set<int> pendingReleases;
};

}  // namespace vareko::testing
