#pragma once

#include "printing/CertLayout.h"
#include "printing/FPP.h"
#include "tests/support/SampleProtocol.h"

#include <QTest>

#include <gtest/gtest.h>

// The preview window over a sample protocol and a complete certificate layout; every composition
// reads the rows, the range and the listed pages as the test last set them.
class PreviewWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        completeCertLayout(layout);
        form.setPrintSource([this] {
            return PrintSource{cells,
                               QStringLiteral("Stutenprüfung"),
                               QStringLiteral("08.12.2026   10:15"),
                               &layout,
                               from,
                               to,
                               listed};
        });
        form.resize(700, 900);
    }

    template <typename T> T *child(const char *name)
    {
        return form.findChild<T *>(QString::fromLatin1(name));
    }

    // Protocol pages (0) or certificates (1), composed as the window shows.
    void show(int mode)
    {
        form.setDocumentMode(mode);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    ProtocolFormat::Table cells = sampleProtocol(3);
    QByteArray layout = QByteArray(CertLayoutSize, '\0');
    int from = 1, to = 3;
    QPageRanges listed;
    TFormPP form;
};
