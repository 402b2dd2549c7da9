#include "embrel/target_selection.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>

namespace embrel {

namespace {

bool AllFinite(const Eigen::MatrixXd& m)
{
    return m.allFinite();
}

Eigen::MatrixXd Columns(const CSpekContainer& c)
{
    const int n = c.GetSpekDim();
    Eigen::MatrixXd m(n, c.GetSpekCount());
    for (int j = 0; j < c.GetSpekCount(); ++j)
        m.col(j) = Eigen::Map<const Eigen::VectorXd>(c[j].Values().data(), n);
    return m;
}

} // namespace

tyMBStatus SelectTargets(const CSpekContainer& candidates, int count, const CSpekContainer* start, bool unitColumns,
                  std::vector<int>& indices, std::ostream* log, double* value, const SelectionEvent& event)
{
    const int m = candidates.GetSpekCount();
    const int startCount = start ? start->GetSpekCount() : 0;
    if (m == 0 || candidates.GetSpekDim() == 0)
        return MB_EMPTY_INPUT;
    if (count <= 0 || count > m || startCount > count)
        return MB_BAD_ARGUMENT;
    if (startCount > 0 && start->GetSpekDim() != candidates.GetSpekDim())
        return MB_TARGET_MISMATCH;
    Eigen::MatrixXd a = Columns(candidates);
    const Eigen::MatrixXd s = startCount > 0 ? Columns(*start) : Eigen::MatrixXd();
    if (!AllFinite(a) || !AllFinite(s))
        return MB_NOT_FINITE;
    const double minRelative = value ? *value : 0.0;
    auto fire = [&](int type, unsigned index) { return event && event(type, static_cast<unsigned>(count), index); };
    if (fire(3, 0))
        return MB_ABORTED;

    const Eigen::VectorXd norms = a.colwise().norm().transpose();
    std::vector<bool> used(m, false);
    indices.clear();

    // Start entries: the candidate of the same name, else the unused one nearest by |cosine|.
    for (int i = 0; i < startCount; ++i) {
        std::string name;
        start->GetSpekName(i, name);
        int found = -1;
        for (int j = 0; j < m && found < 0; ++j) {
            std::string other;
            candidates.GetSpekName(j, other);
            if (!used[j] && other == name)
                found = j;
        }
        if (found < 0) {
            const double sn = s.col(i).norm();
            double best = -1;
            for (int j = 0; j < m; ++j) {
                if (used[j])
                    continue;
                const double denom = sn * norms(j);
                const double cosine = denom > 0 ? std::fabs(s.col(i).dot(a.col(j))) / denom : 0.0;
                if (cosine > best) {
                    best = cosine;
                    found = j;
                }
            }
        }
        used[found] = true;
        indices.push_back(found);
    }

    // Project the start entries out of every column.
    if (startCount > 0) {
        Eigen::HouseholderQR<Eigen::MatrixXd> qr(s);
        const Eigen::Index rank = std::min<Eigen::Index>(s.rows(), s.cols());
        const Eigen::MatrixXd q = qr.householderQ() * Eigen::MatrixXd::Identity(s.rows(), rank);
        a -= q * (q.transpose() * a);
    }
    if (unitColumns)
        for (int j = 0; j < m; ++j)
            if (norms(j) > 0)
                a.col(j) /= norms(j);

    for (int pick = startCount; pick < count; ++pick) {
        int best = -1;
        double bestNorm = -1;
        for (int j = 0; j < m; ++j) {
            if (used[j])
                continue;
            const double residual = a.col(j).norm();
            const double scale = unitColumns ? 1.0 : norms(j);
            const double relative = scale > 0 ? residual / scale : 0.0;
            if (relative < minRelative)
                continue;
            if (residual > bestNorm) {
                bestNorm = residual;
                best = j;
            }
        }
        if (best < 0)
            return MB_BAD_ARGUMENT;
        used[best] = true;
        indices.push_back(best);
        if (log)
            *log << "Target " << pick + 1 << ": " << best << " Residuum " << bestNorm << '\n';
        if (bestNorm > 0) {
            const Eigen::VectorXd q = a.col(best) / bestNorm;
            for (int j = 0; j < m; ++j)
                if (!used[j])
                    a.col(j) -= q * q.dot(a.col(j));
        }
        if (fire(4, static_cast<unsigned>(pick)))
            return MB_ABORTED;
    }

    if (value) {
        Eigen::MatrixXd chosen(candidates.GetSpekDim(), static_cast<Eigen::Index>(indices.size()));
        for (Eigen::Index j = 0; j < chosen.cols(); ++j) {
            chosen.col(j) = Eigen::Map<const Eigen::VectorXd>(candidates[indices[j]].Values().data(), chosen.rows());
            if (norms(indices[j]) > 0)
                chosen.col(j) /= norms(indices[j]);
        }
        Eigen::JacobiSVD<Eigen::MatrixXd> svd(chosen);
        const Eigen::VectorXd& sv = svd.singularValues();
        *value = chosen.cols() > chosen.rows() ? 0.0 : sv(sv.size() - 1);
    }
    if (fire(5, static_cast<unsigned>(count)))
        return MB_ABORTED;
    return MB_OK;
}

} // namespace embrel

tyMBStatus CAprioriInterpolator::OptTargetSelection(int count, const CSpekContainer* start, bool flag, int* indices,
                                                    std::ostream* log, double* value)
{
    if (!indices)
        return MB_BAD_ARGUMENT;
    CMBLibEventHandler* handler = m_handler;
    const embrel::SelectionEvent event = [handler](int type, unsigned total, unsigned index) {
        if (!handler)
            return false;
        handler->SetProgress(total, index);
        handler->OnEvent(type);
        return handler->IsAborted();
    };
    std::vector<int> chosen;
    const tyMBStatus status = embrel::SelectTargets(m_sensors, count, start, flag, chosen, log, value, event);
    if (status == MB_OK)
        std::copy(chosen.begin(), chosen.end(), indices);
    return status;
}

tyMBStatus CAprioriInterpolator::OptTargetSelection(int count, const CSpekContainer* start, int* indices,
                                                    std::ostream* log, double* value)
{
    return OptTargetSelection(count, start, false, indices, log, value);
}
