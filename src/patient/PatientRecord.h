#pragma once

#include <QString>

#include <QtGlobal>

namespace viVavazuruv {

// One row of paTable, where the practice keeps its patients and, marked by
// pTypPat..pTypPhy, its doctors, referrers and physicians. Each named member
// carries its column's name.
// Default values are the empty ones: "" for text, 0 for numbers and currency,
// day 0 for the date.
struct PatientRecord {
    qint32 pID = 0;
    QString pTypPat;
    QString pTypDoc;
    QString pTypRef;
    QString pTypPhy;
    // Reserved1..4 are there for the record's layout alone: they keep every
    // later member where the suite's other programs, which share this record,
    // expect it. No column feeds them; loading a patient neither reads nor
    // clears them.
    qint32 Reserved1 = 0;
    qint32 Reserved2 = 0;
    qint32 Reserved3 = 0;
    qint16 pCLITYP1 = 0;
    QString pLASNAM;
    QString pFIRNAM;
    QString pSeaNam;
    QString pNICNAM;
    qint32 pPROIND = 0;
    qint32 pREFIND = 0;
    QString pSEX;
    QString pTTL;
    QString pBIRDAT;
    QString pHOMPHO;
    QString pBUSPHO;
    QString pADD1;
    QString pADD2;
    QString pCIT;
    QString pSTA;
    QString pZIP;
    QString pSSN;
    QString pDRILIC;
    QString pCRECARTYP;
    QString pCRECARNUM;
    qint32 pFAMHEAIND = 0;
    QString pBILTTL;
    QString pNEXSTADAT;
    QString pACCTYP;
    QString pFIRVISDAT;
    QString pLASVISDAT;
    QString pCASNUM;
    QString pMEDALE;
    QString pMEDALEUPD;
    QString pEMECON;
    qint32 pPHY1 = 0;
    qint32 pPHY2 = 0;
    QString pSCHNAM;
    QString pSCHCIT;
    qint32 pEmpID1 = 0;
    qint32 pEmpID2 = 0;
    qint32 pEmpID3 = 0;
    qint32 pEmpID4 = 0;
    qint32 pPRIINSHOL = 0;
    qint32 pPRIINSID = 0;
    QString pREL2PRI;
    qint32 pSECINSHOL = 0;
    qint32 pSECINSID = 0;
    QString pREL2SEC;
    QString pRECTYP;
    QString pSERSTADAT;
    qint32 Reserved4 = 0;
    QString pDOCLIC;
    QString pDOCEIN;
    QString pDOCSPE;
    QString pDOCLET;
    QString pDOCREM1;
    QString pDOCREM2;
    QString pDOCREM3;
    QString pDocDatEmp;
    QString pDocMedNum;
    QString pDocIni;
    QString pProTTL;
    qint16 pGPDenFeeTyp = 0;
    qint16 pGPDenForTyp = 0;
    qint16 pGPDenPayTyp = 0;
    qint16 pGPDenFeeTypPerm = 0;
    qint16 pGPMedFeeTyp = 0;
    qint16 pGPMedForTyp = 0;
    qint16 pGPMedPayTyp = 0;
    qint16 pGPMedFeeTypPerm = 0;
    qint16 pDOCFeeTyp = 0;
    QString pSrtFlg;
    qint16 pImaFla = 0;
    // Days since 30 December 1899; the fraction is the time of day.
    double pIntAppDat = 0;
    // Currency: the amount times 10,000, so four decimals are exact.
    qint64 pIntAppAmt = 0;
    QString pHomPho1;
    QString pHomPho2;
    QString pHomFax;
    QString pHomEma;
    QString pHomCell;
    QString pHomPag;
    QString pHomCon;
    QString pBusPho1;
    QString pBusPho2;
    QString pBusFax;
    QString pBusEma;
    QString pBusCell;
    QString pBusPag;
    QString pBusCon;
    float pInsPct = 0;
    QString pChaNum;
};

} // namespace viVavazuruv
