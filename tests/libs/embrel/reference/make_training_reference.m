% Training reference: the rule W (points x inputs) of the closed and ridge forms, with the same
% formula data as interpolator_test.cpp. Run: octave -q make_training_reference.m
n = 31; m = 12; C = 4;
j = (0:n-1)';
T = zeros(n, m);
for k = 1:m
  T(:, k) = 0.5 + 0.4 * sin(0.2 * j * k + k);
end
S = zeros(C, n);
for c = 1:C
  S(c, :) = exp(-((j' - 6 * c - 4) / 4).^2);
end
l = 0.5 + j / 60;
A = S .* l';
B = A * T;
f = fopen('training_reference.inc', 'w');
function put(f, name, W)
  fprintf(f, '{"%s", %d, {', name, columns(W));
  fprintf(f, '%.17g, ', W(:));
  fprintf(f, '}},\n');
end
% closed form
put(f, 'closed', T * pinv(B));
% normalisation input: the mean of the channel responses
Bn = [B; mean(B, 1)];
put(f, 'normed', T * pinv(Bn));
% ridge: weight 0.01 of tr(B B')/C
lam = 0.01 * trace(B * B') / C;
put(f, 'ridge', T * B' * pinv(B * B' + lam * eye(C)));
% channel noise of 5 %: expected covariance 0.05^2 diag(B B')
put(f, 'noise', T * B' * pinv(B * B' + 0.0025 * diag(diag(B * B'))));
% response mode: the responses of the first 10 targets, given directly
put(f, 'responses', T(:, 1:10) * pinv(B(:, 1:10)));
fclose(f);
