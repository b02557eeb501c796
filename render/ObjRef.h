#pragma once

// Intrusive reference counting for the render objects. A new object carries
// the one reference of its creator; CStdRefPtr adopts it through MakeRefPtr.
class IObjRef {
public:
    virtual int AddRef() = 0;
    virtual int Release() = 0;
    virtual void OnFinalRelease() = 0;

protected:
    ~IObjRef() = default;
};

template <class I>
class TObjRefImpl : public I {
public:
    TObjRefImpl() = default;
    virtual ~TObjRefImpl() = default;

    TObjRefImpl(const TObjRefImpl&) = delete;
    TObjRefImpl& operator=(const TObjRefImpl&) = delete;

    int AddRef() override { return ++m_nRef; }
    int Release() override {
        int count = --m_nRef;
        if (count == 0) OnFinalRelease();
        return count;
    }
    void OnFinalRelease() override { delete this; }
    int GetRefCount() const { return m_nRef; }

protected:
    int m_nRef = 1;
};

// A freshly created object whose initial reference is handed to a CStdRefPtr.
template <class T>
struct MakeRefPtr {
    explicit MakeRefPtr(T* p) : ptr(p) {}
    T* ptr;
};

// Handle owning one reference to the object it holds.
template <class T>
class CStdRefPtr {
public:
    CStdRefPtr() = default;
    ~CStdRefPtr() {
        if (m_p) m_p->Release();
    }
    CStdRefPtr(const CStdRefPtr&) = delete;
    CStdRefPtr& operator=(const CStdRefPtr&) = delete;

    T* operator=(const MakeRefPtr<T>& made) {
        if (made.ptr != m_p) {
            if (m_p) m_p->Release();
            m_p = made.ptr;
        }
        return m_p;
    }
    T* operator->() const { return m_p; }
    operator T*() const { return m_p; }
    bool operator==(const T* p) const { return m_p == p; }
    bool operator!=(const T* p) const { return m_p != p; }

private:
    T* m_p = nullptr;
};
